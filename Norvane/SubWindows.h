// Small windows the item owns from start-up on: the caption popup that shows a
// shortcut's text, the floating panel that carries the icons in the thumb-tabs
// mode, and the task-manager popup owned by the shell's task bar. They are
// created hidden; their behaviour comes with input, the floating panel and the
// task manager.
#pragma once

#include "WindowBase.h"

namespace norvane {

class TodayItemWindow;

class CaptionPopup : public WindowBase {
public:
    explicit CaptionPopup(TodayItemWindow& owner) : m_owner(owner) {}
    bool Create(HWND itemWindow);
    void Destroy() { DestroyOwnWindow(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TodayItemWindow& m_owner;
};

class FloatingPanel : public WindowBase {
public:
    explicit FloatingPanel(TodayItemWindow& owner) : m_owner(owner) {}
    bool Create(HWND itemWindow);
    void Destroy() { DestroyOwnWindow(); }

private:
    TodayItemWindow& m_owner;
};

class TaskManagerPopup : public WindowBase {
public:
    explicit TaskManagerPopup(TodayItemWindow& owner) : m_owner(owner) {}
    // Creates the popup window owned by the task bar (or unowned without one).
    bool Create();
    void Destroy() { DestroyOwnWindow(); }

private:
    TodayItemWindow& m_owner;
};

} // namespace norvane
