#include "MenuBar.h"

#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "Theme.h"

namespace norvane::device {

namespace {

constexpr wchar_t kKeysKey[] = L"Software\\Microsoft\\Today\\Keys\\";
constexpr UINT_PTR kLabelTimer = 1;

// The device's own soft keys, when nothing is bound.
const MenuBar::SoftKey kDefaultKeys[2] = {{L"Notes", L"\\Windows\\Notes.exe"},
                                          {L"Contacts", L"\\Windows\\Contacts.exe"}};

} // namespace

MenuBar::~MenuBar() {
    if (m_font)
        DeleteObject(m_font);
}

MenuBar::SoftKey MenuBar::ReadSoftKey(int index) {
    RegKey key;
    SoftKey result = kDefaultKeys[index];
    if (!key.Open(HKEY_CURRENT_USER, kKeysKey + std::to_wstring(index == 0 ? 112 : 113)))
        return result;
    std::wstring label, program;
    key.ReadString(nullptr, label);
    key.ReadString(L"Open", program);
    result.label = label;
    result.program = program;
    return result;
}

bool MenuBar::Create(HWND owner, const RECT& area) {
    m_font = CreateFontW(-ScaleY(12), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0,
                         L"Tahoma");
    if (!RegisterWindowClass(kMenuBarClass, 0, nullptr))
        return false;
    m_width = area.right - area.left;
    m_height = area.bottom - area.top;
    if (!CreateWindowFor(kMenuBarClass, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, area.left, area.top,
                         m_width, m_height, owner))
        return false;
    SetTimer(m_hwnd, kLabelTimer, 1000, nullptr);
    return true;
}

void MenuBar::Reposition(const RECT& area) {
    m_width = area.right - area.left;
    m_height = area.bottom - area.top;
    SetWindowPos(m_hwnd, nullptr, area.left, area.top, m_width, m_height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

int MenuBar::KeyAt(int x) const {
    return x < m_width / 2 ? 0 : 1;
}

void MenuBar::PressSoftKey(int index) {
    const SoftKey key = ReadSoftKey(index);
    if (key.program.empty())
        return;
    if (!StartDeviceProgram(key.program, L""))
        AppendDeviceLog(L"menubar", L"cannot start " + key.program);
}

void MenuBar::Paint(HDC target) {
    RECT all{0, 0, m_width, m_height};
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, m_width, m_height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    Theme::FillVerticalGradient(dc, all, RGB(226, 232, 246), RGB(160, 178, 214));
    HPEN edge = CreatePen(PS_SOLID, 1, RGB(96, 116, 160));
    HGDIOBJ oldPen = SelectObject(dc, edge);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, m_width, 0);
    MoveToEx(dc, m_width / 2, ScaleY(4), nullptr);
    LineTo(dc, m_width / 2, m_height - ScaleY(4));
    SelectObject(dc, oldPen);
    DeleteObject(edge);
    HGDIOBJ oldFont = SelectObject(dc, m_font);
    SetBkMode(dc, TRANSPARENT);
    std::wstring shown;
    for (int i = 0; i < 2; ++i) {
        const SoftKey key = ReadSoftKey(i);
        shown += key.label + L"\n";
        RECT half{i == 0 ? 0 : m_width / 2, 0, i == 0 ? m_width / 2 : m_width, m_height};
        if (m_pressed == i) {
            RECT inner = half;
            InflateRect(&inner, -ScaleX(2), -ScaleY(2));
            HBRUSH brush = CreateSolidBrush(RGB(49, 106, 197));
            FillRect(dc, &inner, brush);
            DeleteObject(brush);
            SetTextColor(dc, RGB(255, 255, 255));
        } else {
            SetTextColor(dc, RGB(0, 28, 96));
        }
        DrawTextW(dc, key.label.c_str(), -1, &half, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
    }
    if (shown != m_shownLabels) {
        // The labels double as the bar's window text, so tools can read them.
        std::wstring text = shown;
        text.pop_back();
        for (auto& c : text)
            if (c == L'\n')
                c = L'\t';
        SetWindowTextW(m_hwnd, text.c_str());
    }
    m_shownLabels = shown;
    SelectObject(dc, oldFont);
    BitBlt(target, 0, 0, m_width, m_height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

LRESULT MenuBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wParam == kLabelTimer) {
            // The item rewrites the bindings at every reload: follow them.
            const std::wstring labels = ReadSoftKey(0).label + L"\n" + ReadSoftKey(1).label + L"\n";
            if (labels != m_shownLabels)
                InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        m_pressed = KeyAt(static_cast<short>(LOWORD(lParam)));
        SetCapture(m_hwnd);
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const int pressed = m_pressed;
        m_pressed = -1;
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
        InvalidateRect(m_hwnd, nullptr, FALSE);
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        if (pressed >= 0 && y >= 0 && y < m_height && KeyAt(x) == pressed)
            PressSoftKey(pressed);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(m_hwnd, kLabelTimer);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace norvane::device
