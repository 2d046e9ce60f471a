// The task-manager popup: building the list, placing and painting it, the
// stylus and the keys, and what each row does.
#include "TaskManagerPopup.h"

#include "CeGesture.h"
#include "CeShell.h"
#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageShortcutIcon.h"
#include "MenuPainter.h"
#include "Module.h"
#include "Painter.h"
#include "TaskRules.h"
#include "TodayItemWindow.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <utility>

namespace norvane {

namespace {

constexpr wchar_t kTaskManagerClass[] = L"NorvaneTaskManager";
constexpr UINT_PTR kAltTabTimer = 1;
// While the popup stays open after closing programs: drops the rows of the
// programs that have gone.
constexpr UINT_PTR kRefreshTimer = 2;
constexpr UINT kRefreshMs = 250;
constexpr int kRefreshRounds = 12;

POINT PointOf(LPARAM lp) {
    return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

// c + (255 - c) * percent / 100 on every channel.
COLORREF Lighten(COLORREF colour, int percent) {
    auto channel = [percent](int c) { return c + (255 - c) * percent / 100; };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

TaskManagerPopup::TaskManagerPopup(TodayItemWindow& owner) : m_owner(owner) {
    m_services.track = [](HMENU menu, POINT at, UINT alignment, HWND owner) {
        return static_cast<UINT>(TrackPopupMenu(menu, alignment | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                at.x, at.y, 0, owner, nullptr));
    };
    m_services.isHold = [](HWND window, POINT point) {
        SHRGINFO info = {};
        info.cbSize = sizeof info;
        info.hwndClient = window;
        info.ptDown = point;
        info.dwFlags = SHRG_RETURNCMD;
        return SHRecognizeGesture(&info) == GN_CONTEXTMENU;
    };
    m_services.terminate = [](DWORD processId) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    };
}

TaskManagerPopup::~TaskManagerPopup() {
    Destroy();
    if (m_font) {
        DeleteObject(m_font);
    }
}

bool TaskManagerPopup::Create() {
    WNDCLASSW existing = {};
    if (!GetClassInfoW(Module::Instance(), kTaskManagerClass, &existing)) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowBase::StaticWindowProc;
        wc.hInstance = Module::Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kTaskManagerClass;
        RegisterClassW(&wc);
    }
    CreateFont();
    // Owned by the task bar, so that it stays above the programs with it.
    HWND taskBar = FindWindowW(names::kTaskBarClass, nullptr);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kTaskManagerClass, L"",
                           WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                           taskBar, nullptr, Module::Instance(), this) != nullptr;
}

void TaskManagerPopup::Destroy() {
    m_items.clear();
    DestroyOwnWindow();
}

void TaskManagerPopup::CreateFont() {
    if (m_font) {
        DeleteObject(m_font);
    }
    LOGFONTW font = {};
    CeGetSystemFont(&font);
    font.lfHeight = ScaleY(-11);
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    m_font = CreateFontIndirectW(&font);
}

void TaskManagerPopup::LoadImages() {
    const ThemeImageContext context = ItemThemeContext(m_owner.GetSettings());
    const std::wstring size = std::to_wstring(PlainX(16));
    auto load = [&](Bitmap32& image, const wchar_t* name) {
        LoadThemeImage(image, name + size + L".tga", 0, context);
    };
    load(m_closeBox, L"close");
    load(m_closeImage, L"close");
    load(m_closeAllImage, L"close_all");
    load(m_closeAllButImage, L"close_all_but");
    load(m_minimizeImage, L"minimize");
    load(m_desktopImage, L"desktop");
    m_imagesLoaded = context.shellReady;
}

bool TaskManagerPopup::Show(bool altTab) {
    m_altTabDelay = static_cast<UINT>(std::max(m_owner.GetSettings().General.AltTabDelay, 0));
    if (!m_hwnd) {
        return true;
    }
    if (altTab && IsOpen()) {
        AdvanceAltTab();
        return true;
    }
    if (IsOpen()) {
        Hide();
        return true;
    }
    if (!m_imagesLoaded) {
        // The images can only be found once the shell is up; the popup may have
        // been created before.
        LoadImages();
    }
    m_target = GetForegroundWindow();
    BuildList();
    PlaceWindow();
    if (m_owner.GetSettings().General.AnimateTaskManager == 0) {
        OpenNow();
    } else {
        m_owner.StartTaskManagerAnimation();
    }
    if (altTab) {
        int targetRow = -1;
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
            if (m_items[i]->Kind() == TaskRowKind::Window && m_items[i]->Window() == m_target) {
                targetRow = i;
                break;
            }
        }
        const int next = NextWindowRow(Shapes(), targetRow);
        if (next >= 0) {
            m_selection = TaskSelection{next, false};
            RepaintNow();
            StartAltTabTimer();
        }
    }
    return true;
}

void TaskManagerPopup::Hide() {
    if (!m_hwnd) {
        return;
    }
    KillTimer(m_hwnd, kAltTabTimer);
    KillTimer(m_hwnd, kRefreshTimer);
    const HWND target = std::exchange(m_target, nullptr);
    const bool wasOpen = IsWindowVisible(m_hwnd) != FALSE;
    // Who is in front once we are gone: whoever took the foreground from us
    // (a program a row brought forward), else the program we opened over.
    HWND next = GetForegroundWindow();
    if (next == m_hwnd || next == nullptr || next == GetWindow(m_hwnd, GW_OWNER)) {
        next = target && IsWindow(target) && IsWindowVisible(target) ? target : CeGetDesktopWindow();
    }
    ShowWindow(m_hwnd, SW_HIDE);
    SetWindowRgn(m_hwnd, nullptr, FALSE);
    ReleaseStylus();
    m_items.clear();
    m_cells.clear();
    m_quickLaunchCount = 0;
    if (wasOpen && next && IsWindow(next)) {
        SetForegroundWindow(next);
    }
}

std::vector<TaskRowShape> TaskManagerPopup::Shapes() const {
    std::vector<TaskRowShape> shapes;
    shapes.reserve(m_items.size());
    for (const auto& item : m_items) {
        shapes.push_back(TaskRowShape{item->Kind(), item->HasCloseBox()});
    }
    return shapes;
}

void TaskManagerPopup::BuildList() {
    const GeneralOptions& general = m_owner.GetSettings().General;
    TaskRules& rules = m_owner.Tasks();
    m_selection = TaskSelection{};
    m_pressed = false;
    m_prefixes = general.AddTaskManagerPrefixes;
    m_commandMask = general.TaskManagerCommandMask;
    const bool showIcons = general.TaskManagerShowIcons;
    m_items.clear();

    struct Command {
        int bit;
        UINT text;
        const Bitmap32* image;
    };
    const Command commands[] = {
        {taskcommand::kMinimize, taskids::kMinimize, &m_minimizeImage},
        {taskcommand::kClose, taskids::kClose, &m_closeImage},
        {taskcommand::kCloseAll, taskids::kCloseAll, &m_closeAllImage},
        {taskcommand::kCloseAllButCurrent, taskids::kCloseAllButCurrent, &m_closeAllButImage}};
    for (const Command& command : commands) {
        if (m_commandMask & command.bit) {
            m_items.push_back(
                std::make_unique<CommandItem>(command.bit, Module::Text(command.text), command.image));
        }
    }
    if (!m_items.empty()) {
        m_items.push_back(std::make_unique<SeparatorItem>());
    }
    int digits = 0;
    if (m_commandMask & taskcommand::kDesktopRow) {
        HWND desktop = CeGetDesktopWindow();
        auto row = std::make_unique<WindowItem>(desktop, TaskRules::TitleOf(desktop));
        row->SetImage(&m_desktopImage);
        if (m_prefixes) {
            row->SetAccelerator(RowDigit(digits++));
        }
        m_items.push_back(std::move(row));
    }
    const ShellProcesses spared = rules.CurrentShellProcesses();
    int programs = 0;
    std::map<HWND, std::unique_ptr<Bitmap32>> icons;
    for (const TaskRules::Program& program : rules.ListPrograms()) {
        if (spared.Contains(program.window) ||
            (TaskRules::ExceptionBits(m_owner.GetSettings(), program.title) & exceptionbit::kHide) != 0) {
            continue;
        }
        auto row = std::make_unique<WindowItem>(program.window, program.title);
        row->SetCloseBox(true);
        if (showIcons) {
            // A window keeps its process, and so its icon, for its whole life.
            auto known = m_icons.find(program.window);
            std::unique_ptr<Bitmap32> icon;
            if (known != m_icons.end()) {
                icon = std::move(known->second);
            } else {
                icon = std::make_unique<Bitmap32>();
                UniqueIcon system(rules.CachedProgramIcon(program.window));
                IconToImage(system.get(), *icon);
            }
            row->SetImage(icon.get());
            icons[program.window] = std::move(icon);
        }
        if (m_prefixes) {
            row->SetAccelerator(RowDigit(digits++));
        }
        m_items.push_back(std::move(row));
        ++programs;
    }
    // Icons of windows that have gone go with them.
    m_icons = std::move(icons);
    if (m_commandMask & taskcommand::kLaunchRow) {
        if (programs > 0) {
            m_items.push_back(std::make_unique<SeparatorItem>());
        }
        m_items.push_back(std::make_unique<LaunchItem>(Module::Text(taskids::kLaunch)));
    }
}

void TaskManagerPopup::PlaceWindow() {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int width = screenWidth / 2;
    {
        ScreenDc screen;
        SelectedObject font(screen.Get(), m_font);
        for (const auto& item : m_items) {
            if (item->Kind() == TaskRowKind::Separator) {
                continue;
            }
            // Titles carry their digit already; commands get room for one.
            std::wstring text = item->ShownText(m_prefixes);
            if (m_prefixes && item->Kind() != TaskRowKind::Window) {
                text = L"9 " + text;
            }
            RECT measured{0, 0, 0, 0};
            DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &measured,
                      DT_CALCRECT | DT_SINGLELINE);
            const int needed =
                (measured.right - measured.left) + ScaleX(2) + PlainX(23) + 2 * ScaleX(2) + PlainX(12);
            width = std::max(width, needed);
        }
    }
    width = std::min(width, screenWidth * 5 / 6);
    int plainHeight = 2;
    for (const auto& item : m_items) {
        plainHeight += item->PlainHeight();
    }
    const bool quickLaunch = (m_commandMask & taskcommand::kQuickLaunchRow) != 0;
    if (quickLaunch) {
        plainHeight += 21;
    }
    const int height = std::min(PlainY(plainHeight), screenHeight);
    // Placed on top of all windows already while hidden: one trip to the
    // window system fewer when it shows.
    SetWindowPos(m_hwnd, HWND_TOPMOST, screenWidth - width, ScaleY(2), width, height, SWP_NOACTIVATE);

    m_cells.clear();
    m_quickLaunchCount = 0;
    if (quickLaunch) {
        TabRecord* tab = QuickLaunchTab();
        m_quickLaunchCount = tab ? static_cast<int>(tab->Shortcuts.size()) : 0;
        const int cell = PlainX(20);
        const RECT inner{ScaleX(1), ScaleX(1), width - ScaleX(1), height - ScaleX(1)};
        for (int i = 0; i < m_quickLaunchCount; ++i) {
            const int right = inner.right - i * cell;
            m_cells.push_back(RECT{right - cell, inner.bottom - cell, right, inner.bottom});
        }
    }
}

void TaskManagerPopup::OpenNow() {
    // On top of all windows (placed so already), active and in front, with the
    // stylus.
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    SetCapture(m_hwnd);
    RepaintNow();
}

bool TaskManagerPopup::AnimationStep(int step) {
    if (!m_hwnd) {
        return false;
    }
    if (step > 2 && !IsOpen()) {
        // Closed while growing.
        SetWindowRgn(m_hwnd, nullptr, FALSE);
        return false;
    }
    RECT window;
    GetWindowRect(m_hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    if (step >= 10) {
        SetWindowRgn(m_hwnd, nullptr, TRUE);
        return false;
    }
    HRGN region = CreateRectRgn(width - step * width * 10 / 100, 0, width, step * height * 10 / 100);
    SetWindowRgn(m_hwnd, region, TRUE); // the window owns the region now
    if (step == 2) {
        OpenNow();
    }
    return true;
}

void TaskManagerPopup::StartAltTabTimer() {
    SetTimer(m_hwnd, kAltTabTimer, m_altTabDelay, nullptr);
}

void TaskManagerPopup::AdvanceAltTab() {
    const int next = NextWindowRow(Shapes(), m_selection.index);
    if (next >= 0) {
        m_selection = TaskSelection{next, false};
        RepaintNow();
    }
    StartAltTabTimer();
}

void TaskManagerPopup::RepaintNow() {
    if (m_hwnd && IsWindowVisible(m_hwnd)) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
        UpdateWindow(m_hwnd);
    }
}

void TaskManagerPopup::ReleaseStylus() {
    if (m_hwnd && GetCapture() == m_hwnd) {
        ReleaseCapture();
    }
}

TabRecord* TaskManagerPopup::QuickLaunchTab() const {
    return &m_owner.GetSettings().SpecialTab(SpecialTabType::TaskManager);
}

ShortcutRecord* TaskManagerPopup::QuickLaunchShortcut(int cell) const {
    TabRecord* tab = QuickLaunchTab();
    if (!tab || cell < 0 || cell >= static_cast<int>(tab->Shortcuts.size())) {
        return nullptr;
    }
    return tab->Shortcuts[cell].get();
}

int TaskManagerPopup::RowAt(POINT point) const {
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        if (PtInRect(&m_items[i]->RowRect(), point)) {
            return i;
        }
    }
    return -1;
}

int TaskManagerPopup::QuickLaunchCellAt(POINT point) const {
    for (int i = 0; i < static_cast<int>(m_cells.size()); ++i) {
        if (PtInRect(&m_cells[i], point)) {
            return i;
        }
    }
    return -1;
}

void TaskManagerPopup::Paint(HDC dc, const RECT& client) {
    const COLORREF menu = GetSysColor(COLOR_MENU);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    Fill(dc, client, menu);
    // The frame: black, ScaleX(1) wide, one pixel in on a high-resolution screen.
    RECT frame = client;
    if (HiResDisplay()) {
        InflateRect(&frame, -1, -1);
    }
    const int pen = std::max(ScaleX(1), 1);
    Fill(dc, RECT{frame.left, frame.top, frame.right, frame.top + pen}, RGB(0, 0, 0));
    Fill(dc, RECT{frame.left, frame.bottom - pen, frame.right, frame.bottom}, RGB(0, 0, 0));
    Fill(dc, RECT{frame.left, frame.top, frame.left + pen, frame.bottom}, RGB(0, 0, 0));
    Fill(dc, RECT{frame.right - pen, frame.top, frame.right, frame.bottom}, RGB(0, 0, 0));

    TaskDrawState state;
    state.font = m_font;
    state.text = GetSysColor(COLOR_MENUTEXT);
    state.selectedText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    state.selectedFill = highlight;
    state.prefixes = m_prefixes;
    state.closeBoxImage = &m_closeBox;
    int y = ScaleY(1);
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        TaskItem& item = *m_items[i];
        const int height = PlainY(item.PlainHeight());
        const RECT row{client.left + ScaleX(2), y, client.right - ScaleX(2), y + height};
        state.selected = i == m_selection.index;
        state.closeBoxSelected = state.selected && m_selection.closeBox;
        item.Paint(dc, row, state);
        y += height;
    }

    if (m_commandMask & taskcommand::kQuickLaunchRow) {
        const int margin = ScaleX(1);
        const RECT band{client.left + margin, client.bottom - margin - PlainY(20), client.right - margin,
                        client.bottom - margin};
        Fill(dc, band, highlight);
        Fill(dc, RECT{band.left, band.top, band.right, band.top + (band.bottom - band.top) / 2},
             Lighten(highlight, 15));
        Fill(dc, RECT{band.left, band.top, band.right, band.top + pen}, RGB(0, 0, 0));
        const int size = PlainX(16);
        for (int i = 0; i < static_cast<int>(m_cells.size()); ++i) {
            const RECT& cell = m_cells[i];
            if (m_selection.index == kQuickLaunchSelection + i) {
                Fill(dc, cell, Lighten(highlight, 45));
            }
            const ShortcutRecord* shortcut = QuickLaunchShortcut(i);
            const ShortcutIcon* picture = shortcut ? PictureOf(shortcut->Icon()) : nullptr;
            if (picture) {
                DrawFittedPicture(dc, *picture, cell.left + (cell.right - cell.left - size) / 2,
                                  cell.top + (cell.bottom - cell.top - size) / 2, size);
            }
        }
    }
}

LRESULT TaskManagerPopup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        LoadImages();
        return 0;
    case WM_DESTROY:
        m_items.clear();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE && !m_menuOpen && IsWindowVisible(m_hwnd)) {
            Hide();
        }
        return 0;
    case WM_PAINT:
        PaintDoubleBuffered(m_hwnd, [this](HDC dc, const RECT& client) { Paint(dc, client); });
        return 0;
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(m_hwnd, &client);
        Paint(reinterpret_cast<HDC>(wp), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MEASUREITEM:
        return MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp)) ? TRUE : FALSE;
    case WM_DRAWITEM:
        return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)) ? TRUE : FALSE;
    case WM_KEYDOWN:
        OnKey(wp);
        return 0;
    case WM_CHAR:
        OnChar(static_cast<wchar_t>(wp));
        return 0;
    case WM_TIMER:
        if (wp == kAltTabTimer) {
            KillTimer(m_hwnd, kAltTabTimer);
            Activate(m_selection.index, false);
        } else if (wp == kRefreshTimer) {
            OnRefreshTimer();
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnPress(PointOf(lp));
        return 0;
    case WM_LBUTTONUP:
        OnRelease(PointOf(lp));
        return 0;
    default:
        break;
    }
    return WindowBase::HandleMessage(msg, wp, lp);
}

void TaskManagerPopup::OnPress(POINT point) {
    KillTimer(m_hwnd, kAltTabTimer);
    m_pressed = true;
    const int row = RowAt(point);
    if (row >= 0 && m_items[row]->Kind() != TaskRowKind::Separator) {
        TaskItem& item = *m_items[row];
        m_selection.index = row;
        m_selection.closeBox = item.HasCloseBox() && PtInRect(&item.CloseBoxRect(), point);
        RepaintNow();
        if (!m_selection.closeBox && IsHold(point)) {
            if (RowMenu(row, point)) {
                ReleaseStylus();
                Hide();
            } else if (IsOpen()) {
                SetCapture(m_hwnd);
            }
        }
        return;
    }
    const int cell = QuickLaunchCellAt(point);
    if (cell >= 0) {
        m_selection = TaskSelection{kQuickLaunchSelection + cell, false};
        RepaintNow();
        if (IsHold(point)) {
            if (ShortcutRecord* shortcut = QuickLaunchShortcut(cell)) {
                POINT screen = point;
                ClientToScreen(m_hwnd, &screen);
                m_menuOpen = true;
                m_owner.Menus().ShowSpecialShortcutMenu(
                    *shortcut, static_cast<int>(SpecialTabType::TaskManager) - 1, screen);
                m_menuOpen = false;
            }
            // The menu's commands reload the settings: nothing of the list is
            // to be trusted afterwards.
            ReleaseStylus();
            Hide();
        }
    }
}

bool TaskManagerPopup::IsHold(POINT point) {
    if (!m_services.isHold) {
        return false;
    }
    // The red dots must not count as leaving the popup.
    m_menuOpen = true;
    const bool hold = m_services.isHold(m_hwnd, point);
    m_menuOpen = false;
    return hold;
}

void TaskManagerPopup::OnRelease(POINT point) {
    if (m_menuOpen || !m_pressed) {
        return;
    }
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!PtInRect(&client, point)) {
        Hide();
        return;
    }
    const int cell = QuickLaunchCellAt(point);
    if (cell >= 0) {
        LaunchQuickLaunch(cell);
        return;
    }
    const int index = m_selection.index;
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        Hide();
        return;
    }
    if (PtInRect(&m_items[index]->RowRect(), point)) {
        Activate(index, m_items[index]->HasCloseBox() && PtInRect(&m_items[index]->CloseBoxRect(), point));
    }
}

void TaskManagerPopup::LaunchQuickLaunch(int cell) {
    ShortcutRecord* shortcut = QuickLaunchShortcut(cell);
    if (!shortcut) {
        return;
    }
    ReleaseStylus();
    m_menuOpen = true;
    const bool launched = m_owner.GetLauncher().Activate(*shortcut, false);
    m_menuOpen = false;
    if (launched) {
        Hide();
    }
}

void TaskManagerPopup::OnKey(WPARAM key) {
    KillTimer(m_hwnd, kAltTabTimer);
    if (key == VK_RETURN) {
        if (m_selection.index >= kQuickLaunchSelection) {
            LaunchQuickLaunch(m_selection.index - kQuickLaunchSelection);
        } else {
            Activate(m_selection.index, m_selection.closeBox);
        }
        return;
    }
    if (key == VK_ESCAPE) {
        Hide();
        return;
    }
    TaskKey direction;
    switch (key) {
    case VK_LEFT:
        direction = TaskKey::Left;
        break;
    case VK_RIGHT:
        direction = TaskKey::Right;
        break;
    case VK_UP:
        direction = TaskKey::Up;
        break;
    case VK_DOWN:
        direction = TaskKey::Down;
        break;
    default:
        return;
    }
    switch (MoveTaskSelection(Shapes(), m_quickLaunchCount, m_selection, direction)) {
    case TaskKeyResult::Hide:
        Hide();
        break;
    case TaskKeyResult::ActivateRow:
        Activate(m_selection.index, false);
        break;
    case TaskKeyResult::Moved:
        RepaintNow();
        break;
    }
}

void TaskManagerPopup::OnChar(wchar_t character) {
    if (!character) {
        return;
    }
    const wchar_t wanted = static_cast<wchar_t>(std::towupper(character));
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        const wchar_t accelerator = m_items[i]->Accelerator();
        if (accelerator && static_cast<wchar_t>(std::towupper(accelerator)) == wanted) {
            KillTimer(m_hwnd, kAltTabTimer);
            m_selection = TaskSelection{i, false};
            Activate(i, false);
            return;
        }
    }
}

void TaskManagerPopup::Activate(int index, bool close) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        return;
    }
    // Acting on a row may hide the popup from inside (another window takes the
    // foreground), which destroys the rows: keep what is needed first.
    const TaskRowKind kind = m_items[index]->Kind();
    const HWND window = m_items[index]->Window();
    const int bit = static_cast<int>(m_items[index]->Value());
    const HWND target = m_target;
    Settings& settings = m_owner.GetSettings();
    TaskRules& rules = m_owner.Tasks();
    const bool keepSetting = settings.General.KeepTaskManagerOpen;
    bool keepOpen = false;
    m_menuOpen = true;
    switch (kind) {
    case TaskRowKind::Window:
        if (close) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            keepOpen = keepSetting;
        } else {
            if (IsIconic(window)) {
                ShowWindow(window, SW_RESTORE);
            }
            SetForegroundWindow(window);
        }
        break;
    case TaskRowKind::Launch:
        LaunchMenu(index);
        break;
    case TaskRowKind::Command:
        if (bit == taskcommand::kMinimize) {
            rules.Minimize(target);
        } else if (bit == taskcommand::kClose) {
            rules.CloseOrMinimize(target);
            keepOpen = keepSetting;
        } else if (bit == taskcommand::kCloseAll || bit == taskcommand::kCloseAllButCurrent) {
            rules.CloseAll(settings, rules.ProgramWindows(),
                           bit == taskcommand::kCloseAll ? nullptr : target);
            keepOpen = keepSetting;
        }
        break;
    case TaskRowKind::Separator:
        break;
    }
    m_menuOpen = false;
    ReleaseStylus();
    const int previous = index;
    Hide();
    if (keepOpen) {
        KeepOpenAfter(previous);
    }
}

void TaskManagerPopup::KeepOpenAfter(int previousSelection) {
    m_target = GetForegroundWindow();
    BuildList();
    PlaceWindow();
    OpenNow();
    m_selection = TaskSelection{RestoredSelection(Shapes(), previousSelection), false};
    RepaintNow();
    // Programs asked to close go a moment later: their rows follow them.
    m_refreshRounds = kRefreshRounds;
    SetTimer(m_hwnd, kRefreshTimer, kRefreshMs, nullptr);
}

void TaskManagerPopup::OnRefreshTimer() {
    if (!IsOpen() || --m_refreshRounds <= 0) {
        KillTimer(m_hwnd, kRefreshTimer);
        if (!IsOpen()) {
            return;
        }
    }
    const bool gone = std::any_of(m_items.begin(), m_items.end(), [](const auto& item) {
        return item->Kind() == TaskRowKind::Window && item->HasCloseBox() && !IsWindow(item->Window());
    });
    if (!gone) {
        return;
    }
    const int previous = m_selection.index;
    const HWND target = m_target;
    BuildList();
    m_target = target;
    PlaceWindow();
    m_selection = TaskSelection{RestoredSelection(Shapes(), previous), false};
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

bool TaskManagerPopup::RowMenu(int index, POINT clientPoint) {
    const TaskItem& item = *m_items[index];
    const HWND window = item.Window();
    const std::wstring title = item.Text();
    const bool isWindow = item.Kind() == TaskRowKind::Window;
    const bool hasCloseBox = item.HasCloseBox();
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return false;
    }
    if (isWindow) {
        const int bits = m_owner.GetSettings().ExceptionFlags(title);
        auto check = [bits](int bit) { return static_cast<UINT>((bits & bit) ? MF_CHECKED : MF_UNCHECKED); };
        AppendMenuW(menu, MF_STRING | check(exceptionbit::kHide), taskmenu::kHide,
                    Module::Text(taskids::kHideFromTaskManager).c_str());
        AppendMenuW(menu, MF_STRING | check(exceptionbit::kMinimizeOnly), taskmenu::kMinimizeOnly,
                    Module::Text(taskids::kMinimizeOnly).c_str());
        AppendMenuW(menu, MF_STRING | check(exceptionbit::kIgnoreCloseAll), taskmenu::kIgnoreCloseAll,
                    Module::Text(taskids::kIgnoreCloseAll).c_str());
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        if (hasCloseBox) {
            AppendMenuW(menu, MF_STRING, taskmenu::kTerminate, Module::Text(taskids::kTerminate).c_str());
        }
    }
    AppendMenuW(menu, MF_STRING, taskmenu::kManageExceptions,
                Module::Text(taskids::kManageExceptions).c_str());
    POINT screen = clientPoint;
    ClientToScreen(m_hwnd, &screen);
    m_menuOpen = true;
    const UINT chosen = m_services.track ? m_services.track(menu, screen, TPM_LEFTALIGN, m_hwnd) : 0;
    m_menuOpen = false;
    DestroyMenu(menu);
    switch (chosen) {
    case 0:
        return false;
    case taskmenu::kManageExceptions:
        m_owner.GetLauncher().StartOptions(optionsswitch::kTaskManagerExceptions);
        break;
    case taskmenu::kTerminate: {
        // Never the shell itself (it holds this very code) nor the phone.
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != 0 && !m_owner.Tasks().IsShellOrPhoneWindow(window) && m_services.terminate) {
            m_services.terminate(process);
        }
        break;
    }
    case taskmenu::kHide:
    case taskmenu::kMinimizeOnly:
    case taskmenu::kIgnoreCloseAll:
        if (!title.empty()) {
            const int bit = chosen == taskmenu::kHide           ? exceptionbit::kHide
                            : chosen == taskmenu::kMinimizeOnly ? exceptionbit::kMinimizeOnly
                                                                : exceptionbit::kIgnoreCloseAll;
            m_owner.GetSettings().ToggleExceptionFlags(title, bit);
            m_owner.Menus().SaveAndReload();
        }
        break;
    default:
        break;
    }
    return true;
}

ShortcutRecord* TaskManagerPopup::FindMenuShortcut(UINT id) const {
    if (id < taskmenu::kFirstShortcut || id - taskmenu::kFirstShortcut >= m_menuEntries.size()) {
        return nullptr;
    }
    // Found again each time: the settings may have been reloaded while the
    // menu was open, which replaces every shortcut.
    const MenuEntry& entry = m_menuEntries[id - taskmenu::kFirstShortcut];
    const std::vector<TabRecord*> tabs = m_owner.GetSettings().VisibleTabs();
    if (entry.tab >= tabs.size() || entry.shortcut >= tabs[entry.tab]->Shortcuts.size()) {
        return nullptr;
    }
    ShortcutRecord* shortcut = tabs[entry.tab]->Shortcuts[entry.shortcut].get();
    return shortcut->Target() == entry.target && shortcut->AdditionalTarget() == entry.additionalTarget
               ? shortcut
               : nullptr;
}

bool TaskManagerPopup::LaunchMenu(int index) {
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return false;
    }
    m_menuEntries.clear();
    UINT id = taskmenu::kFirstShortcut;
    const std::vector<TabRecord*> tabs = m_owner.GetSettings().VisibleTabs();
    for (std::size_t t = 0; t < tabs.size(); ++t) {
        HMENU submenu = CreatePopupMenu();
        if (!submenu) {
            continue;
        }
        if (tabs[t]->Shortcuts.empty()) {
            AppendMenuW(submenu, MF_STRING | MF_GRAYED, 0, Module::Text(taskids::kEmpty).c_str());
        }
        for (std::size_t n = 0; n < tabs[t]->Shortcuts.size(); ++n) {
            const ShortcutRecord& shortcut = *tabs[t]->Shortcuts[n];
            AppendMenuW(submenu, MF_OWNERDRAW, id++, reinterpret_cast<LPCWSTR>(taskmenu::kShortcutItemData));
            m_menuEntries.push_back(
                MenuEntry{t, n, shortcut.Caption(), shortcut.Target(), shortcut.AdditionalTarget()});
        }
        AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                    DoubleAmpersands(tabs[t]->Name).c_str());
    }
    const RECT row = m_items[index]->RowRect();
    POINT at{row.left, row.top};
    ClientToScreen(m_hwnd, &at);
    const bool menuWasOpen = std::exchange(m_menuOpen, true);
    const UINT chosen = m_services.track ? m_services.track(menu, at, TPM_RIGHTALIGN, m_hwnd) : 0;
    DestroyMenu(menu);
    bool launched = false;
    if (ShortcutRecord* shortcut = FindMenuShortcut(chosen)) {
        launched = m_owner.GetLauncher().Activate(*shortcut, false);
    }
    m_menuEntries.clear();
    m_menuOpen = menuWasOpen;
    return launched;
}

bool TaskManagerPopup::MeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || item.itemData != taskmenu::kShortcutItemData ||
        item.itemID < taskmenu::kFirstShortcut ||
        item.itemID - taskmenu::kFirstShortcut >= m_menuEntries.size()) {
        return false;
    }
    const std::wstring& text = m_menuEntries[item.itemID - taskmenu::kFirstShortcut].caption;
    ScreenDc screen;
    SelectedObject font(screen.Get(), m_font);
    RECT measured{0, 0, 0, 0};
    DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &measured,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    item.itemWidth = static_cast<UINT>((measured.right - measured.left) + PlainX(20));
    item.itemHeight = static_cast<UINT>(PlainY(20));
    return true;
}

bool TaskManagerPopup::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || item.itemData != taskmenu::kShortcutItemData ||
        item.itemID < taskmenu::kFirstShortcut ||
        item.itemID - taskmenu::kFirstShortcut >= m_menuEntries.size()) {
        return false;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    Fill(item.hDC, item.rcItem, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    const ShortcutRecord* shortcut = FindMenuShortcut(item.itemID);
    if (const ShortcutIcon* picture = shortcut ? PictureOf(shortcut->Icon()) : nullptr) {
        DrawFittedPicture(item.hDC, *picture, item.rcItem.left + PlainX(2), item.rcItem.top + PlainY(2),
                          PlainX(16));
    }
    const std::wstring& text = m_menuEntries[item.itemID - taskmenu::kFirstShortcut].caption;
    RECT textRect = item.rcItem;
    textRect.left += PlainX(20);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    SelectedObject font(item.hDC, m_font);
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    return true;
}

} // namespace norvane
