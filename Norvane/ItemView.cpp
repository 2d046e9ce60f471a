// The view base, the loading view and the minimized view.
#include "ItemView.h"

#include "DisplayScale.h"
#include "Module.h"
#include "Painter.h"
#include "TodayApi.h"
#include "TodayItemWindow.h"

namespace norvane {

ItemView::ItemView(TodayItemWindow& owner) : m_owner(owner), m_height(ScaleY(26)) {}

ItemView::~ItemView() = default;

bool ItemView::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        PaintDoubleBuffered(hwnd);
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(hwnd, &client);
        Paint(reinterpret_cast<HDC>(wp), client);
        result = 0;
        return true;
    }
    case WM_LBUTTONDOWN:
        OnPress(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        result = 0;
        return true;
    case WM_LBUTTONUP:
        OnTapUp(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        result = 0;
        return true;
    default:
        return false;
    }
}

ShortcutRecord* ItemView::ShortcutAt(POINT pt) const {
    return nullptr;
}

void ItemView::ReloadTabs() {
    m_visibleTabs = m_owner.GetSettings().VisibleTabs();
}

RECT ItemView::GetIconAreaRect() const {
    RECT rc = {};
    if (m_popupChild) {
        GetClientRect(m_popupChild, &rc);
    } else if (m_owner.Hwnd()) {
        GetClientRect(m_owner.Hwnd(), &rc);
    }
    return rc;
}

void ItemView::OnPress(POINT pt) {}

void ItemView::OnMouseMove(POINT pt) {}

void ItemView::ResetHeight() {
    m_height = ScaleY(26);
}

void ItemView::HidePopupChild() {
    if (m_popupChild) {
        ShowWindow(m_popupChild, SW_HIDE);
    }
}

HWND ItemView::InputWindow() const {
    return m_popupChild ? m_popupChild : m_owner.Hwnd();
}

POINT ItemView::ToContent(POINT point) const {
    return POINT{point.x, point.y - (m_popupChild ? 0 : m_scrollOffset)};
}

void ItemView::PaintTodayBackground(HDC hdc, const RECT& rc, HWND window) const {
    TODAYDRAWWATERMARKINFO info = {};
    info.hdc = hdc;
    info.rc = rc;
    info.hwnd = window ? window : m_owner.Hwnd();
    HWND parent = m_owner.Parent();
    if (!parent || !SendMessageW(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info))) {
        // Without a Today screen to ask, the window colour stands in.
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
    }
}

void ItemView::Paint(HDC hdc, const RECT& client) {
    PaintTodayBackground(hdc, client);
}

void ItemView::PaintDoubleBuffered(HWND hwnd) {
    norvane::PaintDoubleBuffered(hwnd, [this](HDC memory, const RECT& client) { Paint(memory, client); });
}

LoadingView::LoadingView(TodayItemWindow& owner) : ItemView(owner) {}

void LoadingView::Paint(HDC hdc, const RECT& client) {
    PaintTodayBackground(hdc, client);
    std::wstring text = Module::Text(ids::kLoading);
    if (text.empty()) {
        return;
    }
    COLORREF colour = RGB(0, 0, 0);
    if (m_owner.Parent()) {
        colour = static_cast<COLORREF>(SendMessageW(m_owner.Parent(), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    }
    // Tahoma at 7.2 points.
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(72, Module::DpiY(), 720);
    lf.lfWeight = FW_NORMAL;
    lf.lfQuality = ANTIALIASED_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(hdc, font);
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(hdc, colour);
    RECT rc = client;
    DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(hdc, oldColour);
    SetBkMode(hdc, oldMode);
    SelectObject(hdc, oldFont);
    DeleteObject(font);
}

MinimizedView::MinimizedView(TodayItemWindow& owner) : ItemView(owner) {}

} // namespace norvane
