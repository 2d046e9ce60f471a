// The display flags and the scaling helper. All of it runs on the user-interface
// thread of whichever program links it; nothing here is shared across threads.
#include "DisplayScale.h"

#include "PlatformServices.h"

namespace norvane {

namespace {

struct DisplayState {
    bool asked = false;
    int dpiX = -1;
    int dpiY = -1;
    bool trueVga = false;
    bool hiRes = false;
};

DisplayState& State() {
    static DisplayState state;
    return state;
}

void AskOnce() {
    DisplayState& s = State();
    if (!s.asked) {
        s.asked = true;
        if (!QueryScreenDpi(s.dpiX, s.dpiY)) {
            s.dpiX = -1;
            s.dpiY = -1;
        }
    }
}

int Scale(int v, int dpi) {
    const long long product = static_cast<long long>(v) * dpi;
    // Half away from zero.
    long long scaled = product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96);
    if (State().trueVga) {
        scaled *= 2;
    }
    return static_cast<int>(scaled);
}

} // namespace

int ScreenDpiX() {
    AskOnce();
    return State().dpiX;
}

int ScreenDpiY() {
    AskOnce();
    return State().dpiY;
}

void SetScreenDpi(int x, int y) {
    DisplayState& s = State();
    s.asked = true;
    s.dpiX = x;
    s.dpiY = y;
}

void ResetScreenDpi() {
    State().asked = false;
}

bool TrueVga() {
    return State().trueVga;
}
bool HiResDisplay() {
    return State().hiRes;
}

void SetDisplayFlags(bool trueVga, bool hiResDisplay) {
    State().trueVga = trueVga;
    State().hiRes = hiResDisplay;
}

int ScaleX(int v) {
    return Scale(v, ScreenDpiX());
}
int ScaleY(int v) {
    return Scale(v, ScreenDpiY());
}

} // namespace norvane
