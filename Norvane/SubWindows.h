// Small windows the item owns from start-up on: the caption popup that shows a
// shortcut's text, the floating panel that carries the icons in the thumb-tabs
// mode (and with floating panels), and the picture that follows the stylus
// while a shortcut is dragged. (The task-manager popup has its own file.)
#pragma once

#include "WindowBase.h"

#include <string>

namespace norvane {

class TodayItemWindow;
class TabView;

class CaptionPopup : public WindowBase {
public:
    explicit CaptionPopup(TodayItemWindow& owner) : m_owner(owner) {}
    ~CaptionPopup() override;
    // Created hidden, off the screen.
    bool Create(HWND itemWindow);
    void Destroy() { DestroyOwnWindow(); }
    // Shows the text with its top-left near the screen point, kept on the
    // screen, and takes the stylus until it is lifted.
    void Show(const std::wstring& text, POINT screenPoint);
    const std::wstring& Text() const { return m_text; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Close();

    TodayItemWindow& m_owner;
    std::wstring m_text;
    HFONT m_font = nullptr;
};

class FloatingPanel : public WindowBase {
public:
    explicit FloatingPanel(TodayItemWindow& owner) : m_owner(owner) {}
    bool Create(HWND itemWindow);
    void Destroy() { DestroyOwnWindow(); }

    // The view whose current tab the panel shows; nullptr unbinds and hides.
    void Bind(TabView* view, bool above);
    TabView* BoundView() const { return m_view; }
    bool OpensAbove() const { return m_above; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TodayItemWindow& m_owner;
    TabView* m_view = nullptr;
    bool m_above = false;
};

// The dragged shortcut's picture, following the stylus above everything. The
// picture is drawn over pure blue (0xFF0000), which stays see-through.
class DragImage : public WindowBase {
public:
    DragImage() = default;
    ~DragImage() override;
    // Takes the bitmap. hotSpot is where the stylus holds the picture.
    bool Begin(HWND owner, HBITMAP picture, SIZE size, POINT hotSpot, POINT screenPoint);
    void Move(POINT screenPoint);
    // Hidden while the item under it redraws.
    void Show(bool show);
    void End();
    bool Active() const { return m_hwnd != nullptr; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HBITMAP m_picture = nullptr;
    SIZE m_size{};
    POINT m_hotSpot{};
};

} // namespace norvane
