// tq_e2e_swap.exe FROM TO [FROM TO ...]: a user who can write the medium, playing their part in
// the restart scenarios: started by Wine's simulated restart (from RunOnce, ahead of the resumed
// installer), it copies each FROM over TO. It ends with 0 when every copy was made.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr) return 2;
    int status = count >= 3 && count % 2 == 1 ? 0 : 2;
    for (int i = 1; status == 0 && i + 1 < count; i += 2) {
        if (!CopyFileW(args[i], args[i + 1], FALSE)) status = 1;
    }
    LocalFree(args);
    return status;
}
