#!/usr/bin/env bash
# Shared Wine plumbing for the Windows tree's tests and for the simulated device:
# one X display (Xvfb when none is given), one prefix per folder, one quiet Wine.
# Source it, then call the functions; nothing here runs on its own.

norvane_wine_quiet() {
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Makes sure DISPLAY points at a live X server. Without one given, a single Xvfb
# is started for the state folder $1 and reused by every later call.
norvane_display() {
    local state="$1"
    if [ -n "${DISPLAY:-}" ] && [ -z "${NORVANE_OWN_XVFB:-}" ]; then
        return 0
    fi
    mkdir -p "$state"
    exec 8>"$state/xvfb.lock"
    flock 8
    local disp="" pid=""
    if [ -f "$state/xvfb.display" ]; then
        disp=$(cat "$state/xvfb.display")
        pid=$(cat "$state/xvfb.pid" 2>/dev/null)
        if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
            disp=""
        fi
    fi
    if [ -z "$disp" ]; then
        rm -f "$state/xvfb.display" "$state/xvfb.pid"
        # -displayfd writes the display number once the server accepts clients.
        setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
            3>"$state/xvfb.display.tmp" </dev/null >/dev/null 2>&1 &
        echo $! >"$state/xvfb.pid"
        local i
        for i in $(seq 1 100); do
            [ -s "$state/xvfb.display.tmp" ] && break
            sleep 0.05
        done
        disp=$(tr -d '\n' <"$state/xvfb.display.tmp")
        rm -f "$state/xvfb.display.tmp"
        if [ -z "$disp" ]; then
            echo "wine-env: Xvfb did not start" >&2
            flock -u 8
            return 1
        fi
        echo "$disp" >"$state/xvfb.display"
    fi
    flock -u 8
    exec 8>&-
    export DISPLAY=":$disp"
    export NORVANE_OWN_XVFB=1
}

norvane_stop_display() {
    local state="$1"
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/xvfb.display"
    fi
}

# Creates the prefix $1 once (under a lock, so parallel callers wait for the first),
# with the settings a quiet, fast, crash-safe test prefix needs.
norvane_prefix() {
    local prefix="$1"
    mkdir -p "$(dirname "$prefix")"
    exec 9>"$prefix.lock"
    flock 9
    if [ ! -f "$prefix/.norvane-ready" ]; then
        rm -rf "$prefix"
        WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$prefix" wineserver -w
        # Debian's Wine does not find its own fonts; "Tahoma" would become DejaVu.
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp -f /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null
        local reg="$prefix/norvane-setup.reg"
        cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="0"
REG
        WINEPREFIX="$prefix" wine regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1
        WINEPREFIX="$prefix" wineserver -w
        touch "$prefix/.norvane-ready"
    fi
    flock -u 9
    exec 9>&-
}

# A Linux path as Wine sees it on the Z: drive.
winepath_of() {
    printf 'Z:%s' "$(readlink -f "$1" | tr '/' '\\')"
}

# Keeps one wineserver alive for the prefix, so each program starts in ~0.05 s.
norvane_persistent_server() {
    local prefix="$1"
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    WINEPREFIX="$prefix" wineserver -w 2>/dev/null
    WINEPREFIX="$prefix" wineserver -p 2>/dev/null
    return 0
}
