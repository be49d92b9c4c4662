// The uninstaller's window as Windows sees it: the resources VNTAdminUninstall.exe carries
// (both dialog templates in dialog units, the string table in code page 936, the manifest, the
// icon), and HoverButton drawing into a memory bitmap: colours, edges, clamp, text offset,
// greyed text, and the drawing context given back as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "uninstall/res/resource.h"
#include "uninstall/win32/hover_button_win32.h"

namespace tq::uninstall {
namespace {

std::wstring Wide(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    w.resize(w.size() - 1);
    return w;
}

std::string To936(const char* utf8) {
    const std::wstring w = Wide(utf8);
    const int n = WideCharToMultiByte(936, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

// ---- Dialog templates (DLGTEMPLATEEX as windres writes it) -------------------------------

struct ItemTemplate {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    WORD classOrdinal = 0;  // 0x80 button, 0x82 static
    std::wstring text;
    WORD textOrdinal = 0;  // an icon's resource id
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<ItemTemplate> items;
};

class Reader {
  public:
    Reader(const BYTE* p, const BYTE* end) : p_(p), end_(end) {}
    template <typename T>
    T Take() {
        T v{};
        if (p_ + sizeof(T) <= end_) std::memcpy(&v, p_, sizeof(T));
        p_ += sizeof(T);
        return v;
    }
    // A string or an ordinal (0xFFFF, id); `ordinal` is 0 for a string.
    std::wstring TakeText(WORD* ordinal = nullptr) {
        const WORD first = Take<WORD>();
        if (ordinal) *ordinal = 0;
        if (first == 0xFFFF) {
            const WORD id = Take<WORD>();
            if (ordinal) *ordinal = id;
            return {};
        }
        std::wstring s;
        for (WORD c = first; c != 0 && p_ < end_; c = Take<WORD>())
            s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    void AlignDword(const BYTE* base) {
        while ((p_ - base) % 4 != 0) ++p_;
    }
    const BYTE* At() const { return p_; }

  private:
    const BYTE* p_;
    const BYTE* end_;
};

class UninstallerResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryExA(TQ_UNINSTALLER_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << TQ_UNINSTALLER_PATH << " error " << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    std::string Resource(LPCSTR type, int id) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module, found);
        const auto* bytes = static_cast<const char*>(LockResource(loaded));
        return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
    }
    DialogTemplate Dialog(int id) {
        const std::string raw = Resource(RT_DIALOG, id);
        DialogTemplate d;
        if (raw.size() < 26) return d;
        const auto* base = reinterpret_cast<const BYTE*>(raw.data());
        Reader r(base, base + raw.size());
        EXPECT_EQ(r.Take<WORD>(), 1);       // dlgVer
        EXPECT_EQ(r.Take<WORD>(), 0xFFFF);  // signature: an extended template
        r.Take<DWORD>();                    // help id
        d.exStyle = r.Take<DWORD>();
        d.style = r.Take<DWORD>();
        const WORD count = r.Take<WORD>();
        d.x = r.Take<short>();
        d.y = r.Take<short>();
        d.cx = r.Take<short>();
        d.cy = r.Take<short>();
        r.TakeText();  // menu
        r.TakeText();  // class
        d.title = r.TakeText();
        if (d.style & DS_SETFONT) {
            d.pointSize = r.Take<WORD>();
            r.Take<WORD>();  // weight
            r.Take<BYTE>();  // italic
            r.Take<BYTE>();  // charset
            d.font = r.TakeText();
        }
        for (WORD i = 0; i < count; ++i) {
            r.AlignDword(base);
            ItemTemplate item;
            r.Take<DWORD>();  // help id
            r.Take<DWORD>();  // ex style
            item.style = r.Take<DWORD>();
            item.x = r.Take<short>();
            item.y = r.Take<short>();
            item.cx = r.Take<short>();
            item.cy = r.Take<short>();
            item.id = r.Take<DWORD>();
            r.TakeText(&item.classOrdinal);
            item.text = r.TakeText(&item.textOrdinal);
            const WORD extra = r.Take<WORD>();
            for (WORD b = 0; b < extra; ++b) r.Take<BYTE>();
            d.items.push_back(item);
        }
        return d;
    }
    HMODULE module = nullptr;
};

void ExpectItem(const ItemTemplate& item, DWORD id, WORD classOrdinal, const char* text, short x,
                short y, short cx, short cy) {
    SCOPED_TRACE(testing::Message() << "control " << id);
    EXPECT_EQ(item.id, id);
    EXPECT_EQ(item.classOrdinal, classOrdinal);
    EXPECT_EQ(item.text, Wide(text));
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, y);
    if (cx >= 0) {
        EXPECT_EQ(item.cx, cx);
        EXPECT_EQ(item.cy, cy);
    }
}

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;

TEST_F(UninstallerResources, ConfirmationDialogTemplate) {
    const DialogTemplate d = Dialog(IDD_UNINSTALL);
    EXPECT_EQ(d.cx, 216);
    EXPECT_EQ(d.cy, 110);
    EXPECT_EQ(d.title, L"Uninstall");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.font, Wide("宋体"));
    EXPECT_EQ(d.style & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_TRUE(d.exStyle & WS_EX_APPWINDOW);  // its own taskbar button
    ASSERT_EQ(d.items.size(), 3u);
    ExpectItem(d.items[0], IDOK, kButton, "确定", 52, 94, 50, 14);
    EXPECT_EQ(d.items[0].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    ExpectItem(d.items[1], IDCANCEL, kButton, "取消", 114, 94, 50, 14);
    ExpectItem(d.items[2], IDC_QUESTION, kStatic, "您正在删除网络管理软件，确定进行该操作吗?", 21,
               17, 173, 65);
    EXPECT_EQ(d.items[2].style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));  // wraps
}

TEST_F(UninstallerResources, AboutBoxTemplate) {
    const DialogTemplate d = Dialog(IDD_ABOUT);
    EXPECT_EQ(d.cx, 235);
    EXPECT_EQ(d.cy, 67);
    EXPECT_EQ(d.title, Wide("关于 VNTAdminUninstall"));
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.font, Wide("宋体"));
    ASSERT_EQ(d.items.size(), 4u);
    ExpectItem(d.items[0], IDC_ABOUT_ICON, kStatic, "", 11, 17, -1, -1);
    EXPECT_EQ(d.items[0].textOrdinal, IDI_PROGRAM);
    EXPECT_EQ(d.items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    ExpectItem(d.items[1], IDC_ABOUT_NAME, kStatic, "VNTAdminUninstall 1.0.0.0", 40, 11, 188, 8);
    EXPECT_TRUE(d.items[1].style & SS_NOPREFIX);
    EXPECT_EQ(d.items[2].id, static_cast<DWORD>(IDC_ABOUT_COPYRIGHT));
    EXPECT_EQ(d.items[2].x, 40);
    EXPECT_EQ(d.items[2].y, 25);
    EXPECT_EQ(d.items[2].cx, 188);
    EXPECT_EQ(d.items[2].cy, 16);
    ExpectItem(d.items[3], IDOK, kButton, "确定", 89, 46, 50, 14);
    EXPECT_EQ(d.items[3].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
}

TEST_F(UninstallerResources, MessagesManifestAndIcon) {
    ASSERT_EQ(GetACP(), 936u);
    auto load = [&](int id) {
        char buffer[512];
        const int n = LoadStringA(module, static_cast<UINT>(id), buffer, sizeof(buffer));
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    };
    EXPECT_EQ(load(IDS_NOTHING_TO_UNINSTALL), To936("没有需要卸载的程序[%s]"));
    EXPECT_EQ(load(IDS_TOOL_RUNNING), To936("[%s]正在运行,请先关闭."));
    EXPECT_EQ(load(IDS_UNINSTALL_FINISHED), To936("恭喜，软件卸载成功完成！"));

    const std::string manifest = Resource(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_FALSE(Resource(RT_GROUP_ICON, IDI_PROGRAM).empty());
}

// ---- HoverButton's drawing -----------------------------------------------------------------

constexpr int kWidth = 75;  // a 50 x 14 unit button at 宋体 9 pt is about this size
constexpr int kHeight = 23;
constexpr COLORREF kBackdrop = RGB(255, 0, 255);

COLORREF Colour(const Rgb& c) {
    return RGB(c.r, c.g, c.b);
}

class HoverButtonDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        const std::string text = To936("确定");
        button = CreateWindowExA(0, "BUTTON", text.c_str(), WS_CHILD | BS_PUSHBUTTON, 0, 0, kWidth,
                                 kHeight, parent, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(hover.Attach(parent, 1));
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                  nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        previousBitmap = SelectObject(dc, bitmap);
    }
    void TearDown() override {
        if (dc) {
            SelectObject(dc, previousBitmap);
            DeleteDC(dc);
        }
        if (bitmap) DeleteObject(bitmap);
        if (parent) DestroyWindow(parent);
    }

    void Draw(UINT state) {
        RECT all{0, 0, kWidth, kHeight};
        HBRUSH backdrop = CreateSolidBrush(kBackdrop);
        FillRect(dc, &all, backdrop);
        DeleteObject(backdrop);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = 1;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = dc;
        item.rcItem = all;
        hover.Draw(item);
        GdiFlush();
    }
    COLORREF Pixel(int x, int y) const {
        const DWORD v = bits[y * kWidth + x];  // 0x00RRGGBB
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // The box around the pixels darker than `limit` in every channel; false when none.
    bool DarkBox(int limit, RECT* box) const {
        *box = {kWidth, kHeight, -1, -1};
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 3; x < kWidth - 3; ++x) {
                const COLORREF c = Pixel(x, y);
                if (GetRValue(c) < limit && GetGValue(c) < limit && GetBValue(c) < limit) {
                    box->left = std::min<LONG>(box->left, x);
                    box->top = std::min<LONG>(box->top, y);
                    box->right = std::max<LONG>(box->right, x);
                    box->bottom = std::max<LONG>(box->bottom, y);
                }
            }
        }
        return box->right >= 0;
    }

    HWND parent = nullptr;
    HWND button = nullptr;
    HoverButton hover;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    DWORD* bits = nullptr;
};

TEST_F(HoverButtonDrawing, AtRestOutlineAndGradientDownToTheClampedLastRow) {
    EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    ASSERT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    ASSERT_EQ(GetSystemMetrics(SM_CYEDGE), 2);
    Draw(0);
    EXPECT_EQ(Pixel(kWidth / 2, 0), RGB(111, 0, 0));  // the outline
    // Inner rectangle (2,2)-(73,21): h = 19. Row 2 is step 6, row 11 step 36; row 21 asks for
    // step 69 and gets the last colour made.
    EXPECT_EQ(Pixel(5, 2), Colour(GradientColour(false, false, 6)));
    EXPECT_EQ(Pixel(3, 11), Colour(GradientColour(false, false, 36)));
    EXPECT_EQ(Pixel(5, 21), RGB(234, 234, 243));
    EXPECT_EQ(Pixel(72, 21), RGB(234, 234, 243));
    // The corners outside the rounded outline are not painted.
    EXPECT_EQ(Pixel(0, 0), kBackdrop);
}

TEST_F(HoverButtonDrawing, FocusGivesCoolEdgesAndTheMouseWarmOnes) {
    Draw(ODS_FOCUS);
    EXPECT_EQ(Pixel(3, 11), RGB(153, 198, 252));  // cool left edge
    EXPECT_EQ(Pixel(5, 19), RGB(234, 234, 240));  // the active gradient's last colour
    EXPECT_EQ(Pixel(5, 21), RGB(162, 201, 255));  // cool bottom edge
    SendMessageA(button, WM_MOUSEHOVER, 0, 0);
    EXPECT_TRUE(hover.State().hover());
    Draw(ODS_FOCUS);
    EXPECT_EQ(Pixel(3, 11), RGB(250, 196, 88));            // warm left edge
    EXPECT_EQ(Pixel(kWidth - 3, 11), RGB(251, 202, 106));  // warm right edge
    SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(hover.State().hover());
    EXPECT_FALSE(hover.State().tracking());
    Draw(0);
    EXPECT_EQ(Pixel(3, 11), Colour(GradientColour(false, false, 36)));
}

TEST_F(HoverButtonDrawing, PressedTextMovesOnePixelAndDisabledTextIsGreyed) {
    RECT normal;
    RECT pressed;
    Draw(0);
    ASSERT_TRUE(DarkBox(64, &normal)) << "no text drawn";
    Draw(ODS_SELECTED);
    ASSERT_TRUE(DarkBox(64, &pressed));
    EXPECT_EQ(pressed.left, normal.left + 1);
    EXPECT_EQ(pressed.top, normal.top + 1);
    Draw(ODS_DISABLED);
    RECT greyed;
    EXPECT_FALSE(DarkBox(64, &greyed)) << "disabled text drawn in black";
}

TEST_F(HoverButtonDrawing, GivesTheDrawingContextBackAsItWas) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HGDIOBJ previousPen = SelectObject(dc, pen);
    MoveToEx(dc, 7, 9, nullptr);
    SetBkMode(dc, OPAQUE);
    Draw(ODS_FOCUS);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    POINT at{};
    GetCurrentPositionEx(dc, &at);
    EXPECT_EQ(at.x, 7);
    EXPECT_EQ(at.y, 9);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    SelectObject(dc, previousPen);
    DeleteObject(pen);
}

}  // namespace
}  // namespace tq::uninstall
