// The system status dialog.
#include "StatusDialog.h"

#include "Bitmap32.h"
#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageLoader.h"
#include "ImageNames.h"
#include "MeterBarRules.h"
#include "Module.h"
#include "StatusSources.h"
#include "SystemStatus.h"
#include "Win32Handles.h"

#include <CeMenuBar.h>
#include <CePower.h>
#include <CeShell.h>

#include <algorithm>
#include <memory>

namespace norvane {

namespace {

namespace dialogids {
constexpr UINT kBatteryLabel = 50062;
constexpr UINT kProgramLabel = 50063;
constexpr UINT kStorageLabel = 50064;
constexpr UINT kAvailableLabel = 50065;
constexpr UINT kMemoryLink = 50066;
constexpr UINT kPowerLink = 50067;
constexpr UINT kTitle = 50068;
constexpr UINT kClose = 50069;
constexpr UINT kCharging = 50070;
constexpr UINT kUnknown = 50071;
constexpr int kSmallIcon = 125;
} // namespace dialogids

constexpr int kPowerApplet = 3;
constexpr int kMemoryApplet = 4;
constexpr COLORREF kDefaultAnchor = RGB(0, 0, 255);
constexpr COLORREF kDefaultVisited = RGB(128, 0, 128);

using GetSystemMemoryDivisionProc = BOOL(WINAPI*)(LPDWORD, LPDWORD, LPDWORD);

struct DialogState {
    LaunchHooks hooks;
    bool modal = false;
    COLORREF anchor = kDefaultAnchor;
    COLORREF visited = kDefaultVisited;
    bool powerVisited = false;
    bool memoryVisited = false;
    HFONT titleFont = nullptr;
    HFONT linkFont = nullptr;
    Bitmap32 icon;
};

COLORREF AnchorColour(const wchar_t* name, COLORREF fallback) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0, KEY_READ,
                      key.Receive()) != ERROR_SUCCESS) {
        return fallback;
    }
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return fallback;
    }
    int r = 0, g = 0, b = 0;
    return ParseColourTriple(text, r, g, b) ? RGB(r, g, b) : fallback;
}

HFONT DerivedFont(HWND dialog, bool bold, bool underline) {
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW font{};
    if (!base || !GetObjectW(base, sizeof font, &font)) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    }
    if (bold) {
        font.lfWeight = FW_BOLD;
    }
    font.lfUnderline = underline ? TRUE : FALSE;
    // With true VGA the dialog's font is made for doubled measures.
    if (TrueVga()) {
        font.lfHeight /= 2;
    }
    return CreateFontIndirectW(&font);
}

int TitleBandHeight() {
    return ScaleY(TrueVga() ? 10 : 20);
}

// The close button at the bottom, centred; on a screen too short for that
// (landscape) at the right of the last link.
void PlaceCloseButton(HWND dialog) {
    HWND ok = GetDlgItem(dialog, IDOK);
    HWND last = GetDlgItem(dialog, statusdialog::kMemoryLink);
    RECT client{}, button{}, link{};
    GetClientRect(dialog, &client);
    GetWindowRect(ok, &button);
    GetWindowRect(last, &link);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&link), 2);
    const int width = button.right - button.left, height = button.bottom - button.top;
    int x = (client.right - width) / 2;
    int y = client.bottom - height - ScaleY(6);
    if (y < link.bottom + ScaleY(4)) {
        x = client.right - width - ScaleX(6);
        y = link.top + (link.bottom - link.top - height) / 2;
    }
    SetWindowPos(ok, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// Full screen between the task bar and the menu bar, as the item's other
// full-screen dialogs, with "ok" in the task bar; again when the screen turns.
void FillWorkArea(HWND dialog, bool first) {
    SHINITDLGINFO info{};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = dialog;
    info.dwFlags = SHIDIF_SIZEDLGFULLSCREEN | (first ? SHIDIF_DONEBUTTON : 0);
    if (!SHInitDialog(&info)) {
        RECT area{};
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) || IsRectEmpty(&area)) {
            area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        }
        SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER);
    }
    if (first) {
        // An empty menu bar of its own, so that the Today screen's soft keys
        // do not show under the dialog.
        SHMENUBARINFO bar{};
        bar.cbSize = sizeof bar;
        bar.hwndParent = dialog;
        bar.dwFlags = SHCMBF_EMPTYBAR;
        bar.hInstRes = Module::Instance();
        SHCreateMenuBar(&bar);
    }
    PlaceCloseButton(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
}

void OpenLink(HWND dialog, DialogState& state, int id) {
    const bool power = id == statusdialog::kPowerLink;
    OpenControlPanelApplet({L"cplmain.cpl", power ? kPowerApplet : kMemoryApplet}, state.hooks);
    (power ? state.powerVisited : state.memoryVisited) = true;
    InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
}

void PaintTitle(HWND dialog, HDC dc, DialogState& state) {
    RECT client{};
    GetClientRect(dialog, &client);
    const int band = TitleBandHeight();
    RECT bandRect{0, 0, client.right, band};
    FillRect(dc, &bandRect, GetSysColorBrush(COLOR_WINDOW));
    int x = ScaleX(3);
    if (state.icon.Width() > 0) {
        DrawImage(state.icon, dc, x, ScaleY(3));
        x += state.icon.Width();
    }
    x += ScaleX(4);
    HGDIOBJ oldFont = SelectObject(dc, state.titleFont ? state.titleFont : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const std::wstring title = Module::Text(dialogids::kTitle);
    RECT text{x, 0, client.right, band};
    DrawTextW(dc, title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    // A thin rule under the band, as the platform's dialog titles have.
    RECT rule{0, band, client.right, band + std::max(1, ScaleY(1) / 2)};
    FillRect(dc, &rule, GetSysColorBrush(COLOR_HIGHLIGHT));
}

void DrawLink(const DRAWITEMSTRUCT& item, DialogState& state) {
    const bool visited = item.CtlID == statusdialog::kPowerLink ? state.powerVisited : state.memoryVisited;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    wchar_t text[128] = {};
    GetWindowTextW(item.hwndItem, text, 128);
    HGDIOBJ oldFont = SelectObject(item.hDC, state.linkFont);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, visited ? state.visited : state.anchor);
    RECT area = item.rcItem;
    RECT measured = area;
    DrawTextW(item.hDC, text, -1, &measured, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    DrawTextW(item.hDC, text, -1, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, oldFont);
    if (item.itemState & ODS_FOCUS) {
        RECT focus{area.left, area.top, std::min(area.right, measured.right + 2), area.bottom};
        DrawFocusRect(item.hDC, &focus);
    }
}

void InitDialog(HWND dialog, DialogState& state) {
    using namespace statusdialog;
    SetWindowTextW(dialog, Module::Text(dialogids::kTitle).c_str());
    SetDlgItemTextW(dialog, kBatteryLabel, Module::Text(dialogids::kBatteryLabel).c_str());
    SetDlgItemTextW(dialog, kProgramLabel, Module::Text(dialogids::kProgramLabel).c_str());
    SetDlgItemTextW(dialog, kStorageLabel, Module::Text(dialogids::kStorageLabel).c_str());
    SetDlgItemTextW(dialog, kProgramFreeLabel, Module::Text(dialogids::kAvailableLabel).c_str());
    SetDlgItemTextW(dialog, kStorageFreeLabel, Module::Text(dialogids::kAvailableLabel).c_str());
    SetDlgItemTextW(dialog, kMemoryLink, Module::Text(dialogids::kMemoryLink).c_str());
    SetDlgItemTextW(dialog, kPowerLink, Module::Text(dialogids::kPowerLink).c_str());
    SetDlgItemTextW(dialog, IDOK, Module::Text(dialogids::kClose).c_str());
    const StatusDialogValues values = ReadStatusDialogValues();
    SetDlgItemTextW(dialog, kBatteryValue, values.battery.c_str());
    SetDlgItemTextW(dialog, kProgramValue, values.programMemory.c_str());
    SetDlgItemTextW(dialog, kProgramFreeValue, values.programAvailable.c_str());
    SetDlgItemTextW(dialog, kStorageValue, values.storage.c_str());
    SetDlgItemTextW(dialog, kStorageFreeValue, values.storageAvailable.c_str());
    state.anchor = AnchorColour(L"Anchor Color", kDefaultAnchor);
    state.visited = AnchorColour(L"Anchor Color Visited", kDefaultVisited);
    state.titleFont = DerivedFont(dialog, true, false);
    state.linkFont = DerivedFont(dialog, false, true);
    // The item's picture at the system's small-icon size.
    Bitmap32 icon;
    if (LoadResourceImage(icon, Module::Instance(), dialogids::kSmallIcon)) {
        const int size = GetSystemMetrics(SM_CXSMICON) > 0 ? GetSystemMetrics(SM_CXSMICON) : ScaleX(16);
        for (int halvings = HalvingsToFit(icon.Width(), icon.Height(), size); halvings > 0; --halvings) {
            icon = icon.Halve();
        }
        state.icon = std::move(icon);
    }
    FillWorkArea(dialog, true);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        state = reinterpret_cast<DialogState*>(lp);
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        InitDialog(dialog, *state);
        return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        if (msg == WM_CTLCOLORSTATIC) {
            SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
        }
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_PAINT:
        if (state) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(dialog, &ps);
            PaintTitle(dialog, dc, *state);
            EndPaint(dialog, &ps);
            return TRUE;
        }
        break;
    case WM_SETTINGCHANGE:
        if (state) {
            FillWorkArea(dialog, false);
        }
        break;
    case WM_DRAWITEM:
        if (state) {
            DrawLink(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp), *state);
            return TRUE;
        }
        break;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (!state) {
            break;
        }
        if ((id == statusdialog::kPowerLink || id == statusdialog::kMemoryLink) && HIWORD(wp) == BN_CLICKED) {
            OpenLink(dialog, *state, id);
            return TRUE;
        }
        if (id == IDOK || id == IDCANCEL) {
            // Enter on a link follows it rather than closing the dialog; the
            // task bar's "ok" (which names no button) always closes.
            const int focused = GetDlgCtrlID(GetFocus());
            if (id == IDOK && lp != 0 &&
                (focused == statusdialog::kPowerLink || focused == statusdialog::kMemoryLink)) {
                OpenLink(dialog, *state, focused);
                return TRUE;
            }
            if (state->modal) {
                EndDialog(dialog, id);
            } else {
                DestroyWindow(dialog);
            }
            return TRUE;
        }
        break;
    }
    case WM_NCDESTROY:
        if (state) {
            DeleteObject(state->titleFont);
            DeleteObject(state->linkFont);
            std::unique_ptr<DialogState> owned(state); // made for this dialog alone
            SetWindowLongPtrW(dialog, DWLP_USER, 0);
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

StatusDialogValues ReadStatusDialogValues() {
    StatusDialogValues values;
    const std::wstring unknown = Module::Text(dialogids::kUnknown);
    // The memory division comes from the system library when it has the call.
    DWORD storePages = 0, ramPages = 0, pageSize = 0;
    if (HMODULE core = LoadLibraryW(L"coredll.dll")) {
        auto division =
            reinterpret_cast<GetSystemMemoryDivisionProc>(GetProcAddress(core, "GetSystemMemoryDivision"));
        if (!division || !division(&storePages, &ramPages, &pageSize)) {
            ramPages = pageSize = 0;
        }
        FreeLibrary(core);
    }
    const unsigned long long program = static_cast<unsigned long long>(ramPages) * pageSize;
    values.programMemory =
        SizeText(static_cast<std::uint32_t>(std::min<unsigned long long>(program, 0xFFFFFFFFu)));
    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    CeGlobalMemoryStatus(&memory);
    values.programAvailable = SizeText(static_cast<std::uint32_t>(memory.dwAvailPhys));
    ULARGE_INTEGER caller{}, total{}, free{};
    if (CeGetDiskFreeSpaceEx(L"\\", &caller, &total, &free)) {
        values.storage = LargeSizeText(total.QuadPart);
        values.storageAvailable = LargeSizeText(free.QuadPart);
    } else {
        values.storage = unknown;
        values.storageAvailable = unknown;
    }
    DeviceStatusPlatform platform;
    std::uint8_t record[kPowerStatusSize] = {};
    if (platform.ReadPowerStatus(record)) {
        values.battery = BatteryStatusText(record[powerbyte::kACLine], record[powerbyte::kBatteryFlag],
                                           record[powerbyte::kBatteryPercent],
                                           Module::Text(dialogids::kCharging), unknown);
    } else {
        values.battery = unknown;
    }
    return values;
}

void ShowStatusDialog(HWND owner, const LaunchHooks& hooks) {
    auto state = std::make_unique<DialogState>();
    state->hooks = hooks;
    state->modal = true;
    DialogBoxParamW(Module::Instance(), MAKEINTRESOURCEW(kStatusDialogId), owner, DialogProc,
                    reinterpret_cast<LPARAM>(state.release())); // the dialog frees it
}

HWND CreateStatusDialog(HWND owner, const LaunchHooks& hooks) {
    auto state = std::make_unique<DialogState>();
    state->hooks = hooks;
    HWND dialog = CreateDialogParamW(Module::Instance(), MAKEINTRESOURCEW(kStatusDialogId), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(state.get()));
    if (dialog) {
        state.release(); // the dialog frees it
    }
    return dialog;
}

} // namespace norvane
