// The item's hidden top-level window: it receives the broadcasts of the key stubs,
// the options program and screen capture, and (with the task-bar extensions)
// subclasses the shell's task bar.
#pragma once

#include "WindowBase.h"

namespace norvane {

class TodayItemWindow;

class MessageWindow : public WindowBase {
public:
    explicit MessageWindow(TodayItemWindow& owner);
    ~MessageWindow() override;

    bool Create(HWND itemParent);
    void Destroy();
    // After every settings load: running programs and the top-bar icon afresh.
    void Reload();
    // A status value that the top-bar shortcut shows changed: the task bar
    // paints again.
    void RedrawTopBar();
    // The task bar's own procedure, which every subclassed message reaches last.
    WNDPROC TaskBarPreviousProc() const { return m_taskBarProc; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void SubclassTaskBar();
    void RemoveTaskBarSubclass();

    TodayItemWindow& m_owner;
    HWND m_itemParent = nullptr;
    HWND m_taskBar = nullptr;
    WNDPROC m_taskBarProc = nullptr;
};

} // namespace norvane
