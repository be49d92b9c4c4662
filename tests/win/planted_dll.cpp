// A library that must never be found through the current directory.
extern "C" __declspec(dllexport) int TqPlanted() {
    return 42;
}
