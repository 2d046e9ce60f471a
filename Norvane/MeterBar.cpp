// The top meter bar: a strip across the top of the shell's task bar showing
// one status value, painted from two theme images over the task bar's own
// background, and the actions of a tap on it.
#include "ItemParts.h"

#include "Bitmap32.h"
#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageLoader.h"
#include "ImageNames.h"
#include "MeterBarRules.h"
#include "MeterDefinition.h"
#include "Module.h"
#include "Painter.h"
#include "Settings.h"
#include "StatusDialog.h"
#include "StatusSources.h"
#include "StringLookup.h"
#include "TextCodec.h"
#include "TodayItemWindow.h"
#include "ImageHandles.h"

#include "FlashCards.h"

namespace norvane {

namespace {

constexpr wchar_t kMeterBarClass[] = L"NorvaneTopMeterBarClass";
constexpr wchar_t kMeterBarName[] = L"NorvaneTopMeterBar";
constexpr wchar_t kReplacementTitleBarClass[] = L"WisBarAdv_FullBar";
constexpr wchar_t kBackgroundImage[] = L"top_indicator_background";
constexpr wchar_t kRevealImage[] = L"top_indicator_reveal";

namespace action {
constexpr int kMenu = 1;
constexpr int kTaskManager = 2;
constexpr int kStatusDialog = 3;
constexpr int kMeterBarShortcut = 4;
} // namespace action

namespace barids {
constexpr UINT kBattery = 50042;
constexpr UINT kBackupBattery = 50043;
constexpr UINT kMemory = 50044;
constexpr UINT kMainStorage = 50045;
constexpr UINT kNone = 50046;
constexpr UINT kNoMeterBarShortcut = 50076;
} // namespace barids

MeterBarNames NamesFromTable() {
    return MeterBarNames{Module::Text(barids::kNone), Module::Text(barids::kBattery),
                         Module::Text(barids::kBackupBattery), Module::Text(barids::kMemory),
                         Module::Text(barids::kMainStorage)};
}

// The names of our own table, whatever the language.
MeterBarNames OwnNames() {
    auto own = [](UINT id) {
        std::wstring text;
        LoadModuleString(Module::Instance(), id, text);
        return text;
    };
    return MeterBarNames{own(barids::kNone), own(barids::kBattery), own(barids::kBackupBattery),
                         own(barids::kMemory), own(barids::kMainStorage)};
}

MeterBarSelection Select(const std::wstring& selection) {
    return SelectMeterBar(selection, NamesFromTable(), OwnNames());
}

void RegisterBarClass() {
    WNDCLASSW existing = {};
    if (GetClassInfoW(Module::Instance(), kMeterBarClass, &existing)) {
        return;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowBase::StaticWindowProc;
    wc.hInstance = Module::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kMeterBarClass;
    RegisterClassW(&wc);
}

// The task bar, or its replacement title bar when one lives in it: the
// first child of that class among the task bar's own children.
HWND BarParent(HWND taskBar) {
    for (HWND child = GetWindow(taskBar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetParent(child) != taskBar) {
            break;
        }
        wchar_t name[64] = {};
        if (GetClassNameW(child, name, 64) && lstrcmpW(name, kReplacementTitleBarClass) == 0) {
            return child;
        }
    }
    return taskBar;
}

} // namespace

MeterBarWindow::MeterBarWindow(TodayItemWindow& item) : m_item(item) {}

MeterBarWindow::~MeterBarWindow() {
    Destroy();
}

void MeterBarWindow::Rebuild(Settings& settings) {
    SetUp(settings.General.MeterBar);
}

void MeterBarWindow::SetUp(const std::wstring& selection) {
    m_selection = selection;
    const HWND taskBar = FindWindowW(names::kTaskBarClass, nullptr);
    const MeterBarSelection chosen = Select(selection);
    m_kind = chosen.kind;
    m_storagePath = chosen.storagePath;
    if (!m_kind) {
        Destroy();
        if (taskBar) {
            InvalidateRect(taskBar, nullptr, TRUE);
        }
        return;
    }
    if (!m_hwnd && taskBar) {
        RegisterBarClass();
        // Until the images say how high the bar is, a scaled 4 pixels.
        CreateWindowExW(0, kMeterBarClass, kMeterBarName, WS_CHILD | WS_VISIBLE, 0, 0,
                        GetSystemMetrics(SM_CXSCREEN), ScaleY(4), BarParent(taskBar), nullptr,
                        Module::Instance(), this);
    }
    if (!m_hwnd) {
        // Without a task bar there is no bar to show, and nothing to refresh for it.
        m_kind = 0;
        return;
    }
    AddMeterKindsInUse(m_kind);
    m_imagesWidth = 0; // the theme or its folder may have changed with the settings
    if (m_hwnd) {
        ShowWindow(m_hwnd, SW_SHOWNA);
    }
    m_item.Status().Refresh(m_kind);
    Redraw();
}

void MeterBarWindow::Destroy() {
    if (m_hwnd) {
        ShowWindow(m_hwnd, SW_HIDE);
        DestroyOwnWindow();
    }
    m_hwnd = nullptr;
}

bool MeterBarWindow::ImagesLoaded() const {
    return m_background && m_reveal && m_background->Width() > 0 && m_reveal->Width() > 0;
}

void MeterBarWindow::LoadImagesIfNeeded() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    if (width == m_imagesWidth) {
        return;
    }
    m_imagesWidth = width;
    const bool landscape = GetSystemMetrics(SM_CYSCREEN) < width;
    const bool highResolution = HiResDisplay() || TrueVga();
    const ThemeImageContext context = ItemThemeContext(m_item.GetSettings());
    m_backgroundName = ThemeVariantName(kBackgroundImage, highResolution, landscape);
    m_background = std::make_unique<Bitmap32>();
    m_reveal = std::make_unique<Bitmap32>();
    if (!LoadThemeImage(*m_background, m_backgroundName, 0, context) ||
        !LoadThemeImage(*m_reveal, ThemeVariantName(kRevealImage, highResolution, landscape), 0, context)) {
        m_background.reset();
        m_reveal.reset();
    }
    // The bar spans the screen at the top, as high as its background picture.
    if (m_hwnd && ImagesLoaded()) {
        SetWindowPos(m_hwnd, nullptr, 0, 0, width, m_background->Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MeterBarWindow::HideAndRepaintTaskBar() {
    if (!m_hwnd) {
        return;
    }
    ShowWindow(m_hwnd, SW_HIDE);
    if (HWND parent = GetParent(m_hwnd)) {
        InvalidateRect(parent, nullptr, TRUE);
    }
}

void MeterBarWindow::Redraw() {
    if (!m_hwnd || !m_kind) {
        return;
    }
    LoadImagesIfNeeded();
    if (!ImagesLoaded()) {
        HideAndRepaintTaskBar();
        return;
    }
    if (!IsWindowVisible(m_hwnd)) {
        ShowWindow(m_hwnd, SW_SHOWNA);
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void MeterBarWindow::PaintTo(HDC dc) {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0 || !ImagesLoaded()) {
        return;
    }
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !bitmap) {
        return;
    }
    SelectedObject selected(memory.get(), bitmap.get());
    // What the task bar shows under the bar: the task bar paints itself into
    // our bitmap, moved so that our corner is its origin.
    const HWND parent = GetParent(m_hwnd);
    POINT origin{0, 0};
    MapWindowPoints(m_hwnd, parent, &origin, 1);
    PatBlt(memory.get(), 0, 0, width, height, BLACKNESS);
    POINT previous{};
    SetViewportOrgEx(memory.get(), -origin.x, -origin.y, &previous);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    SetViewportOrgEx(memory.get(), previous.x, previous.y, nullptr);

    DrawImage(*m_background, memory.get(), 0, 0);
    const int percent =
        percentOf ? percentOf(m_kind, m_storagePath) : ProcessStatus().Percent(m_kind, m_storagePath);
    const int revealed = MeterBarRevealWidth(percent, width);
    if (revealed > 0) {
        DrawImage(*m_reveal, memory.get(), 0, 0, revealed, m_reveal->Height());
    }
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void MeterBarWindow::Tap(POINT screenPoint) {
    Settings& settings = m_item.GetSettings();
    switch (settings.General.TopBarMeterAction) {
    case action::kMenu:
        ShowSelectionMenu(screenPoint);
        break;
    case action::kTaskManager:
        m_item.TaskManager().Show(false);
        break;
    case action::kStatusDialog:
        if (showStatusDialog) {
            showStatusDialog(m_item.Hwnd());
        } else {
            ShowStatusDialog(m_item.Hwnd(), m_item.GetLauncher().Services().launchHooks);
        }
        break;
    case action::kMeterBarShortcut: {
        TabRecord& tab = settings.SpecialTab(SpecialTabType::MeterBar);
        Launcher& launcher = m_item.GetLauncher();
        if (!tab.Shortcuts.empty()) {
            launcher.ExecuteTarget(*tab.Shortcuts.front());
            break;
        }
        const int answer = launcher.Services().messageBox(
            m_item.Hwnd(), Module::Text(barids::kNoMeterBarShortcut), MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES) {
            const int meterBarTab =
                static_cast<int>(settings.Tabs().size()) + static_cast<int>(SpecialTabType::MeterBar) - 1;
            launcher.StartOptions(optionsswitch::ShowTab(meterBarTab));
        }
        break;
    }
    default:
        break;
    }
}

void MeterBarWindow::ShowSelectionMenu(POINT at) {
    std::vector<std::wstring> items = {Module::Text(barids::kNone), Module::Text(barids::kBattery),
                                       Module::Text(barids::kBackupBattery), Module::Text(barids::kMemory),
                                       Module::Text(barids::kMainStorage)};
    for (const std::wstring& card : storageCards ? storageCards() : FlashCardNames()) {
        items.push_back(L"\\" + card);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    // The current choice is checked by what it shows, so that "Battery" is
    // checked under a language module too.
    const MeterBarSelection current = Select(m_selection);
    for (size_t i = 0; i < items.size(); ++i) {
        UINT flags = MF_STRING;
        if (SameMeterBarSelection(Select(items[i]), current)) {
            flags |= MF_CHECKED;
        }
        AppendMenuW(menu, flags, i + 1, items[i].c_str());
    }
    int chosen = 0;
    if (trackMenu) {
        chosen = trackMenu(menu, at);
    } else {
        const HWND owner = m_hwnd ? m_hwnd : m_item.Hwnd();
        chosen = static_cast<int>(
            TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, owner, nullptr));
    }
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= static_cast<int>(items.size())) {
        m_item.GetSettings().General.MeterBar = items[chosen - 1];
        m_item.SaveSettings();
        SetUp(items[chosen - 1]);
    } else {
        Redraw();
    }
}

LRESULT MeterBarWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        LoadImagesIfNeeded();
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        if (ImagesLoaded()) {
            PaintTo(dc);
        }
        EndPaint(m_hwnd, &ps);
        if (!ImagesLoaded()) {
            HideAndRepaintTaskBar();
        }
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_LBUTTONDOWN:
        m_pressed = true;
        SetCapture(m_hwnd);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = m_pressed;
        m_pressed = false;
        if (GetCapture() == m_hwnd) {
            ReleaseCapture();
        }
        POINT point{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        RECT client{};
        GetClientRect(m_hwnd, &client);
        if (wasPressed && PtInRect(&client, point)) {
            ClientToScreen(m_hwnd, &point);
            Tap(point);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        m_pressed = false;
        return 0;
    default:
        return WindowBase::HandleMessage(msg, wp, lp);
    }
}

} // namespace norvane
