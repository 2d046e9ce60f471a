// The capture options dialog.
#include "CaptureOptionsDialog.h"

#include "CaptureOptions.h"
#include "Module.h"

#include <commctrl.h>

#include <algorithm>

#include <string>

namespace norvane {

namespace {

struct DialogState {
    int count;
    int delay;
    int repeatDelay;
};

std::wstring Seconds(int value) {
    std::wstring text = Module::Text(ids::kSecondsFormat);
    const std::size_t at = text.find(L"%d");
    if (at == std::wstring::npos) {
        return std::to_wstring(value);
    }
    return text.replace(at, 2, std::to_wstring(value));
}

void SetupBar(HWND dialog, int id, int low, int high, int value) {
    HWND bar = GetDlgItem(dialog, id);
    SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(low, high));
    SendMessageW(bar, TBM_SETPAGESIZE, 0, 1);
    SendMessageW(bar, TBM_SETPOS, TRUE, value);
}

int BarValue(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0));
}

// Reads the bars into the state and shows the values beside them.
void Update(HWND dialog, DialogState& state) {
    using namespace captureoptions;
    state.count = BarValue(dialog, kCountBar);
    state.delay = BarValue(dialog, kDelayBar);
    state.repeatDelay = BarValue(dialog, kRepeatBar);
    SetDlgItemTextW(dialog, kCountValue, std::to_wstring(state.count).c_str());
    SetDlgItemTextW(dialog, kDelayValue, Seconds(state.delay).c_str());
    SetDlgItemTextW(dialog, kRepeatValue, Seconds(state.repeatDelay).c_str());
}

// Keeps the dialog on the screen (it may be larger than a small screen allows).
void FitOnScreen(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int x = std::max(0, (screenWidth - width) / 2);
    const int y = std::max(0, (screenHeight - height) / 2);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    using namespace captureoptions;
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<DialogState*>(lp);
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        SetWindowTextW(dialog, Module::Text(ids::kCaptureOptionsTitle).c_str());
        SetDlgItemTextW(dialog, kCountLabel, Module::Text(ids::kCaptureCountLabel).c_str());
        SetDlgItemTextW(dialog, kDelayLabel, Module::Text(ids::kCaptureDelayLabel).c_str());
        SetDlgItemTextW(dialog, kRepeatLabel, Module::Text(ids::kCaptureRepeatLabel).c_str());
        SetDlgItemTextW(dialog, IDCANCEL, Module::Text(ids::kCancel).c_str());
        SetupBar(dialog, kCountBar, capturelimit::kMinCount, capturelimit::kMaxCount, state->count);
        SetupBar(dialog, kDelayBar, capturelimit::kMinDelay, capturelimit::kMaxDelay, state->delay);
        SetupBar(dialog, kRepeatBar, capturelimit::kMinRepeatDelay, capturelimit::kMaxRepeatDelay,
                 state->repeatDelay);
        Update(dialog, *state);
        FitOnScreen(dialog);
        SetForegroundWindow(dialog);
        return TRUE;
    }
    case WM_HSCROLL:
        if (state) {
            Update(dialog, *state);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            if (state && LOWORD(wp) == IDOK) {
                Update(dialog, *state);
            }
            EndDialog(dialog, LOWORD(wp));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

bool ShowCaptureOptionsDialog(HWND owner, int& count, int& delay, int& repeatDelay) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    DialogState state{ClampCaptureCount(count), ClampCaptureDelay(delay),
                      ClampCaptureRepeatDelay(repeatDelay)};
    const INT_PTR result = DialogBoxParamW(Module::Instance(), MAKEINTRESOURCEW(kCaptureOptionsDialogId),
                                           owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) {
        return false;
    }
    count = state.count;
    delay = state.delay;
    repeatDelay = state.repeatDelay;
    return true;
}

} // namespace norvane
