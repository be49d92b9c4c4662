#include "tests/e2e/robot.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ostream>
#include <type_traits>

namespace tq::e2e {

namespace {

constexpr UINT kMessageTimeoutMs = 2000;
constexpr DWORD kPollStepMs = 10;
constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring Convert(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string Convert(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// Sends with a time-out, so a hung target fails the scenario instead of hanging the robot.
// nullopt when the message was not delivered or not answered in time.
std::optional<LRESULT> TryAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              bool ansi = false) {
    DWORD_PTR result = 0;
    const LRESULT ok = ansi ? SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                                  kMessageTimeoutMs, &result)
                            : SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                                  kMessageTimeoutMs, &result);
    if (!ok) return std::nullopt;
    return static_cast<LRESULT>(result);
}

// The answer, or 0 when there is none.
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool ansi = false) {
    return TryAsk(window, message, wParam, lParam, ansi).value_or(0);
}

// Memory committed in another process, released on destruction.
class RemoteBlock {
  public:
    RemoteBlock(HANDLE process, size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    ~RemoteBlock() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    explicit operator bool() const { return address_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T written = 0;
        return WriteProcessMemory(process_, At(offset), data, size, &written) && written == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T read = 0;
        return ReadProcessMemory(process_, At(offset), data, size, &read) && read == size;
    }

  private:
    HANDLE process_;
    void* address_;
};

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc != nullptr) ReleaseDC(nullptr, dc);
    }
};
struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc != nullptr) DeleteDC(dc);
    }
};
struct GdiObject {
    HGDIOBJ object;
    ~GdiObject() {
        if (object != nullptr) DeleteObject(object);
    }
};
struct Selection {
    HDC dc;
    HGDIOBJ previous;
    Selection(HDC d, HGDIOBJ object) : dc(d), previous(SelectObject(d, object)) {}
    ~Selection() {
        if (previous != nullptr && previous != HGDI_ERROR) SelectObject(dc, previous);
    }
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<BYTE> bits;  // 24-bit, bottom-up, rows padded to 4 bytes
};

size_t RowBytes(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

BITMAPINFOHEADER Header24(int width, int height) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = height;  // positive: bottom-up, as BMP files store rows
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(RowBytes(width) * static_cast<size_t>(height));
    return h;
}

// Copies a rectangle of the screen, which under X11 is what the X server shows.
bool CaptureScreen(const RECT& r, Picture& out) {
    out.width = r.right - r.left;
    out.height = r.bottom - r.top;
    if (out.width <= 0 || out.height <= 0) return false;
    ScreenDc screen;
    if (screen.dc == nullptr) return false;
    MemoryDc memory(screen.dc);
    if (memory.dc == nullptr) return false;
    BITMAPINFO info{};
    info.bmiHeader = Header24(out.width, out.height);
    void* bits = nullptr;
    GdiObject dib{CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (dib.object == nullptr || bits == nullptr) return false;
    {
        Selection selected(memory.dc, dib.object);
        if (!BitBlt(memory.dc, 0, 0, out.width, out.height, screen.dc, r.left, r.top,
                    SRCCOPY | CAPTUREBLT)) {
            return false;
        }
        GdiFlush();
    }
    const auto* first = static_cast<const BYTE*>(bits);
    out.bits.assign(first, first + info.bmiHeader.biSizeImage);
    return true;
}

bool Uniform(const Picture& p) {
    if (p.bits.size() < 3) return true;
    for (int y = 0; y < p.height; ++y) {
        const BYTE* row = p.bits.data() + RowBytes(p.width) * static_cast<size_t>(y);
        for (int x = 0; x < p.width; ++x) {
            if (!std::equal(row + x * 3, row + x * 3 + 3, p.bits.data())) return false;
        }
    }
    return true;
}

bool WriteBmp(const Picture& p, const std::wstring& path) {
    const BITMAPINFOHEADER info = Header24(p.width, p.height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    UniqueHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) return false;
    auto write = [&](const void* data, size_t size) {
        DWORD written = 0;
        return WriteFile(out.get(), data, static_cast<DWORD>(size), &written, nullptr) &&
               written == size;
    };
    return write(&file, sizeof(file)) && write(&info, sizeof(info)) &&
           write(p.bits.data(), p.bits.size());
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (ProcessOf(window) == search->pid && IsWindowVisible(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        children.push_back(c);
    }
    return children;
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
    return Convert(CP_UTF8, utf8);
}
std::string Utf8(std::wstring_view wide) {
    return Convert(CP_UTF8, wide);
}
std::string FromAnsi(std::string_view ansi) {
    return Utf8(Convert(CP_ACP, ansi));
}
std::string ToAnsi(std::string_view utf8) {
    return Convert(CP_ACP, Wide(utf8));
}

Deadline::Deadline(DWORD milliseconds) : end_(GetTickCount64() + milliseconds) {}
bool Deadline::Passed() const {
    return GetTickCount64() >= end_;
}
DWORD Deadline::Remaining() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
}

std::optional<Process> Process::Start(const std::wstring& program, const std::wstring& folder,
                                      std::string* error, const std::wstring& arguments) {
    // Quoted, so a path with spaces cannot start a different program.
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        if (error)
            *error = "CreateProcess(" + Utf8(program) + ") failed, error " +
                     std::to_string(GetLastError());
        return std::nullopt;
    }
    CloseHandle(info.hThread);
    return Process(info.hProcess, info.dwProcessId);
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(handle_.get(), 0xE2E);
        WaitForSingleObject(handle_.get(), 5000);
    }
}

bool Process::Running() const {
    return handle_ && WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
    if (!handle_ || WaitForSingleObject(handle_.get(), timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(handle_.get(), &code)) return std::nullopt;
    return code;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, HANDLE watched) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (deadline.Passed()) return false;
        const DWORD pause = std::min(kPollStepMs, deadline.Remaining());
        if (watched != nullptr) {
            if (WaitForSingleObject(watched, pause) == WAIT_OBJECT_0) return condition();
        } else {
            Sleep(pause);  // the interval between two polls, not a wait for an event
        }
    }
}

std::string ClassName(HWND window) {
    wchar_t name[256] = {};
    const int n = GetClassNameW(window, name, 256);
    return Utf8(std::wstring_view(name, static_cast<size_t>(std::max(n, 0))));
}

std::string Text(HWND window) {
    if (window == nullptr) return {};
    // The text may change between the length query and the read (a page moving its status line
    // on): an answer that fills the buffer may be cut, so it is read again into a larger one.
    constexpr size_t kMostChars = 1 << 16;
    size_t size = static_cast<size_t>(Ask(window, WM_GETTEXTLENGTH, 0, 0)) + 1;
    for (;;) {
        std::wstring buffer(size, L'\0');
        const auto n = static_cast<size_t>(
            Ask(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
        if (n + 1 < size || size >= kMostChars) {
            buffer.resize(std::min(n, size - 1));
            return Utf8(buffer);
        }
        size *= 2;
    }
}

std::string ControlText(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}

bool ControlVisible(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowVisible(control);
}

LONG_PTR Style(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsDialogWindow(HWND window) {
    return ClassName(window) == "#32770";
}

HWND WaitForDialog(const Process& process, const std::function<bool(HWND)>& match,
                   DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(process.Id())) {
                if (IsDialogWindow(w) && match(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs, process.Handle());
    return found;
}

HWND WaitForPage(const Process& process, std::string_view caption, int markerId, DWORD timeoutMs) {
    return WaitForDialog(
        process, [&](HWND w) { return GetDlgItem(w, markerId) != nullptr && Text(w) == caption; },
        timeoutMs);
}

bool IsMessageBox(HWND window) {
    return IsDialogWindow(window) && GetDlgItem(window, kMessageBoxTextId) != nullptr;
}

HWND WaitForMessageBox(const Process& process, DWORD timeoutMs, HWND notThis) {
    return WaitForDialog(
        process, [&](HWND w) { return w != notThis && IsMessageBox(w); }, timeoutMs);
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view{Text(box), ControlText(box, kMessageBoxTextId), {}, 0};
    if (HWND focus = FocusIn(box)) view.focusId = GetDlgCtrlID(focus);
    for (HWND child : DirectChildren(box)) {
        if (ClassName(child) != "Button") continue;
        view.buttons.push_back(
            {GetDlgCtrlID(child), Text(child), (Style(child) & BS_TYPEMASK) == BS_DEFPUSHBUTTON});
    }
    return view;
}

bool Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && PostMessageW(button, BM_CLICK, 0, 0);
}

HWND FocusIn(HWND dialog) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui) &&
        gui.hwndFocus != nullptr && IsChild(dialog, gui.hwndFocus)) {
        return gui.hwndFocus;
    }
    return nullptr;
}

void PressKey(HWND dialog, UINT virtualKey) {
    HWND target = FocusIn(dialog);
    if (target == nullptr) target = dialog;
    const auto scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (LPARAM{3} << 30));
}

void Close(HWND window) {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool ControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowEnabled(control);
}

bool ControlChecked(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && Ask(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SetControlText(HWND dialog, int id, std::string_view utf8) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return false;
    const std::wstring text = Wide(utf8);
    // WM_SETTEXT is marshalled across processes (and to the edit's code page) by Wine.
    return Ask(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

bool TypeText(HWND edit, std::string_view utf8, DWORD timeoutMs) {
    if (edit == nullptr) return false;
    // The caret to the end (positions past the text are cut to its length).
    if (!TryAsk(edit, EM_SETSEL, static_cast<WPARAM>(INT_MAX), INT_MAX)) return false;
    // The modified flag is the marker: typing can only set it, the last posted message clears
    // it, and the queue is handled in order; so a clear flag means every character is through.
    if (!TryAsk(edit, EM_SETMODIFY, TRUE, 0)) return false;
    for (wchar_t unit : Wide(utf8)) {
        if (!PostMessageW(edit, WM_CHAR, unit, 1)) return false;
    }
    if (!PostMessageW(edit, EM_SETMODIFY, FALSE, 0)) return false;
    return WaitUntil([&] { return TryAsk(edit, EM_GETMODIFY, 0, 0) == LRESULT{0}; }, timeoutMs);
}

bool operator==(const ControlView& a, const ControlView& b) {
    return a.id == b.id && a.className == b.className && a.text == b.text && a.visible == b.visible;
}

void PrintTo(const ControlView& c, std::ostream* out) {
    *out << "{" << c.id << " " << c.className << (c.visible ? " visible" : " hidden") << " \""
         << c.text << "\"}";
}

std::vector<ControlView> ReadControls(HWND dialog) {
    std::vector<ControlView> controls;
    for (HWND child : DirectChildren(dialog)) {
        controls.push_back(
            {GetDlgCtrlID(child), ClassName(child), Text(child), IsWindowVisible(child) != FALSE});
    }
    return controls;
}

bool ClickListRow(HWND list, int row) {
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                     FALSE, ProcessOf(list)));
    if (!process) return false;
    RemoteBlock block(process.get(), sizeof(RECT));
    RECT rect{};
    rect.left = LVIR_LABEL;
    if (!block || !block.Write(0, &rect, sizeof(rect)) ||
        !Ask(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0))) ||
        !block.Read(0, &rect, sizeof(rect))) {
        return false;
    }
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
           PostMessageW(list, WM_LBUTTONUP, 0, at);
}

std::vector<HWND> IpFieldEdits(HWND control) {
    std::vector<std::pair<LONG, HWND>> found;
    for (HWND child = GetWindow(control, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        found.emplace_back(r.left, child);
    }
    std::sort(found.begin(), found.end());
    std::vector<HWND> edits;
    for (const auto& f : found) edits.push_back(f.second);
    return edits;
}

std::vector<std::string> IpFieldTexts(HWND control) {
    std::vector<std::string> texts;
    for (HWND edit : IpFieldEdits(control)) texts.push_back(Text(edit));
    return texts;
}

bool SetIpAddress(HWND control, BYTE a, BYTE b, BYTE c, BYTE d) {
    return TryAsk(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(a, b, c, d)))
        .has_value();
}

bool SetIpFieldTexts(HWND control, const std::vector<std::string>& texts) {
    const auto edits = IpFieldEdits(control);
    if (edits.size() != 4 || texts.size() != 4) return false;
    for (size_t i = 0; i < 4; ++i) {
        const std::wstring text = Wide(texts[i]);
        if (!TryAsk(edits[i], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) return false;
    }
    return true;
}

std::vector<std::string> FileLines(const std::wstring& path) {
    std::vector<std::string> lines;
    UniqueHandle in(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (in.get() == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(in.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    size_t start = 0;
    for (size_t end = bytes.find('\n'); end != std::string::npos; end = bytes.find('\n', start)) {
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

namespace {

// LVCOLUMNA and LVITEMA as a 32-bit list view reads them: a 32-bit installer (the release build,
// under WOW64) interprets the block placed in its memory with 4-byte pointers. The fields up to
// those the robot uses; the list view reads no further for LVCF_TEXT | LVCF_WIDTH and for
// LVM_GETITEMTEXTA.
struct ListColumn32 {
    UINT mask;
    int fmt;
    int cx;
    std::uint32_t pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
};
struct ListItem32 {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    std::uint32_t pszText;
    int cchTextMax;
    int iImage;
    std::uint32_t lParam;
    int iIndent;
};

// The text buffer's address as the target's structures hold it.
template <typename Pointer>
Pointer RemotePointer(char* address) {
    if constexpr (std::is_pointer_v<Pointer>) {
        return address;
    } else {
        return static_cast<Pointer>(reinterpret_cast<std::uintptr_t>(address));
    }
}

// Reads the columns and cells through structures of the target's layout.
template <typename Column, typename Item>
std::optional<ListViewContents> ReadListViewAs(HWND list, const RemoteBlock& block,
                                               size_t textOffset, int textBytes) {
    static_assert(sizeof(Column) <= 256 && sizeof(Item) <= 256);
    char* remoteText = block.At(textOffset);
    using TextPointer = decltype(Column::pszText);

    auto readText = [&](std::string& out) {
        std::string bytes(static_cast<size_t>(textBytes), '\0');
        if (!block.Read(textOffset, bytes.data(), bytes.size())) return false;
        bytes.resize(bytes.find('\0') == std::string::npos ? bytes.size() : bytes.find('\0'));
        out = FromAnsi(bytes);
        return true;
    };

    ListViewContents contents;
    HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER, 0, 0));
    const int columnCount = header ? static_cast<int>(Ask(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int c = 0; c < columnCount; ++c) {
        Column column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = RemotePointer<TextPointer>(remoteText);
        column.cchTextMax = textBytes;
        const char zero = '\0';
        if (!block.Write(0, &column, sizeof(column)) || !block.Write(textOffset, &zero, 1)) {
            return std::nullopt;
        }
        if (!Ask(list, LVM_GETCOLUMNA, static_cast<WPARAM>(c),
                 reinterpret_cast<LPARAM>(block.At(0)), true)) {
            return std::nullopt;
        }
        std::string title;
        if (!block.Read(0, &column, sizeof(column)) || !readText(title)) return std::nullopt;
        contents.columns.push_back(title);
        contents.columnWidths.push_back(column.cx);
    }

    const int rowCount = static_cast<int>(Ask(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rowCount; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < std::max(columnCount, 1); ++c) {
            Item item{};
            item.iSubItem = c;
            item.pszText = RemotePointer<TextPointer>(remoteText);
            item.cchTextMax = textBytes;
            const char zero = '\0';
            if (!block.Write(0, &item, sizeof(item)) || !block.Write(textOffset, &zero, 1)) {
                return std::nullopt;
            }
            Ask(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(r),
                reinterpret_cast<LPARAM>(block.At(0)), true);
            std::string cell;
            if (!readText(cell)) return std::nullopt;
            row.push_back(cell);
        }
        contents.rows.push_back(row);
    }
    return contents;
}

}  // namespace

std::optional<ListViewContents> ReadListView(HWND list) {
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                         PROCESS_QUERY_LIMITED_INFORMATION,
                                     FALSE, ProcessOf(list)));
    if (!process) return std::nullopt;

    // One block: the structure first, then the text buffer the target writes into.
    constexpr size_t kTextOffset = 256;
    constexpr int kTextBytes = 1024;
    RemoteBlock block(process.get(), kTextOffset + kTextBytes);
    if (!block) return std::nullopt;
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process.get(), &wow64)) return std::nullopt;
    return wow64 ? ReadListViewAs<ListColumn32, ListItem32>(list, block, kTextOffset, kTextBytes)
                 : ReadListViewAs<LVCOLUMNA, LVITEMA>(list, block, kTextOffset, kTextBytes);
}

bool SaveScreenshot(HWND window, const std::wstring& bmpPath, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why + " (" + Utf8(bmpPath) + ")";
        return false;
    };
    RECT rect{};
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect)) {
        return fail("window not visible");
    }
    // Paint now: for another thread's window UPDATENOW sends WM_PAINT and waits for it.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // What was painted reaches the X server when the target's window surface is flushed, a
    // moment later: take pictures until two in a row agree and show more than one colour.
    Picture previous;
    Picture current;
    const bool settled = WaitUntil(
        [&] {
            previous = std::move(current);
            if (!CaptureScreen(rect, current)) return false;
            return current.bits == previous.bits && !Uniform(current);
        },
        3000);
    if (!settled) return fail("the picture of the window did not settle");
    if (!WriteBmp(current, bmpPath)) return fail("cannot write the BMP");
    return true;
}

std::wstring WindowsPathOf(std::string_view unixPath) {
    std::wstring path = Wide(unixPath);
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

std::wstring JoinPath(const std::wstring& folder, std::wstring_view name) {
    if (folder.empty()) return std::wstring(name);
    const wchar_t last = folder.back();
    return folder + (last == L'\\' || last == L'/' ? L"" : L"\\") + std::wstring(name);
}

QuietRun RunQuiet(const std::wstring& program, const std::wstring& folder,
                  const std::string& arguments, DWORD timeoutMs) {
    QuietRun run;
    auto installer = Process::Start(program, folder, &run.error, Wide(arguments));
    if (!installer) return run;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(installer->Id())) {
                if (IsWindowVisible(window)) run.windowShown = true;
            }
            return !installer->Running();
        },
        timeoutMs, installer->Handle());
    run.exitCode = installer->WaitForExit(0);
    return run;
}

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    constexpr std::size_t kStamp = 24;  // "2026-12-07 17:50:06.949 "
    for (const std::string& line : FileLines(Wide(path))) {
        lines.push_back(FromAnsi(line.size() > kStamp ? line.substr(kStamp) : line));
    }
    return lines;
}

}  // namespace tq::e2e
