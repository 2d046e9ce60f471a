#include "SafeModeItem.h"

#include "CeMessageBox.h"
#include "CePower.h"
#include "SafeModeKeys.h"
#include "SafeModeModule.h"
#include "SafeModeResources.h"

namespace norvane::safemode {

namespace {

constexpr wchar_t kItemClass[] = L"NorvaneSafeModeItem";
constexpr wchar_t kItemName[] = L"NorvaneSafeMode";

class ItemFont {
public:
    ItemFont(int points, int dpiY) {
        LOGFONTW font{};
        font.lfHeight = -MulDiv(points, dpiY, 72);
        font.lfWeight = FW_BOLD;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
        m_font = CreateFontIndirectW(&font);
    }
    ~ItemFont() {
        if (m_font) {
            DeleteObject(m_font);
        }
    }
    ItemFont(const ItemFont&) = delete;
    ItemFont& operator=(const ItemFont&) = delete;
    HFONT Get() const { return m_font; }

private:
    HFONT m_font = nullptr;
};

void DrawLine(HDC dc, const std::wstring& text, HFONT font, RECT box) {
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

} // namespace

int SafeModeItemHeight(int dpiY) {
    return (100 * dpiY + 48) / 96;
}

SafeModeItem::~SafeModeItem() {
    if (m_hwnd && IsWindow(m_hwnd)) {
        DestroyWindow(m_hwnd);
    }
}

bool SafeModeItem::Create(HWND parent) {
    WNDCLASSW cls{};
    if (!GetClassInfoW(ResourceModule(), kItemClass, &cls)) {
        cls = WNDCLASSW{};
        cls.lpfnWndProc = WindowProc;
        cls.hInstance = ResourceModule();
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.lpszClassName = kItemClass;
        if (!RegisterClassW(&cls)) {
            return false;
        }
    }
    m_hwnd = CreateWindowExW(0, kItemClass, kItemName, WS_CHILD | WS_VISIBLE, 0, 0,
                             GetSystemMetrics(SM_CXSCREEN), 0, parent, nullptr, ResourceModule(), this);
    return m_hwnd != nullptr;
}

int SafeModeItem::DpiY() const {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

LRESULT CALLBACK SafeModeItem::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SafeModeItem*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<SafeModeItem*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT SafeModeItem::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // The service waits for this before it lets go of the DLL.
        m_event = CreateEventW(nullptr, FALSE, TRUE, kItemRunningEvent);
        return 0;
    case WM_DESTROY:
        if (m_event) {
            CloseHandle(m_event);
            m_event = nullptr;
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONUP: {
        const std::wstring question = LoadText(IDS_ITEM_RESET_QUESTION);
        const std::wstring caption = LoadText(IDS_ITEM_CAPTION);
        const int answer =
            ask ? ask(m_hwnd, question, caption)
                : CeMessageBox(m_hwnd, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDNO) {
            if (restart) {
                restart();
            } else {
                CeExitWindowsEx(EWX_REBOOT, 0);
            }
        }
        return 0;
    }
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
        auto* item = reinterpret_cast<TODAYLISTITEM*>(wParam);
        if (!item) {
            return FALSE;
        }
        const DWORD height = static_cast<DWORD>(SafeModeItemHeight(DpiY()));
        if (item->cyp == height) {
            return FALSE;
        }
        item->cyp = height;
        return TRUE;
    }
    default:
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

void SafeModeItem::Paint(HDC dc) {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    HWND parent = GetParent(m_hwnd);
    if (parent) {
        TODAYDRAWWATERMARKINFO watermark{dc, client, m_hwnd};
        SendMessageW(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&watermark));
    }
    const COLORREF colour =
        parent ? static_cast<COLORREF>(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0))
               : RGB(0, 0, 0);
    const COLORREF previousColour = SetTextColor(dc, colour);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const int dpi = DpiY();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const auto scaled = [dpi](int n) { return MulDiv(n, dpi, 96); };
    {
        ItemFont title(10, dpi);
        ItemFont hint(8, dpi);
        DrawLine(dc, LoadText(IDS_ITEM_TITLE), title.Get(), RECT{0, scaled(20), width, scaled(40)});
        DrawLine(dc, LoadText(IDS_ITEM_HINT), hint.Get(),
                 RECT{0, scaled(20) + scaled(25), width, scaled(40) + scaled(25)});
    }
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
}

} // namespace norvane::safemode
