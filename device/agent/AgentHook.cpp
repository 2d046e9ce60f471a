// DeviceAgentHook.dll: the agent's reach into the process that shows a popup
// menu. Wine keeps a menu's items in the memory of the process that built it:
// GetMenuItemInfo and GetMenuItemRect on another process's menu fail. So the
// agent hooks the menu window's thread (WH_CALLWNDPROC, this DLL loaded into
// that process) and sends the menu window a query; the hook answers from
// inside, where the menu calls work, into a report file the agent reads.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMenuQueryMessage[] = L"NorvaneDeviceAgent_MenuQuery";
constexpr wchar_t kDialogQueryMessage[] = L"NorvaneDeviceAgent_DialogQuery";
constexpr UINT kGetMenuHandle = 0x01E1; // MN_GETHMENU

void AppendUtf8(std::string& out, const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    if (bytes <= 0)
        return;
    const size_t at = out.size();
    out.resize(at + bytes);
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data() + at, bytes,
                        nullptr, nullptr);
}

// Report fields are separated by '|': keep it and line breaks out of texts.
std::wstring FieldText(std::wstring text) {
    for (auto& c : text)
        if (c == L'|' || c == L'\n' || c == L'\r')
            c = L' ';
    return text;
}

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars =
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
        auto* out = reinterpret_cast<std::wstring*>(data);
        if (text->emrtext.nChars > 0 && text->emrtext.offString + text->emrtext.nChars * 2 <= record->nSize) {
            if (!out->empty())
                *out += L' ';
            out->append(chars, text->emrtext.nChars);
        }
    }
    return 1;
}

// An owner-drawn item keeps no text of its own: let its owner draw it into a
// metafile and read back what was written.
std::wstring DrawnText(HWND owner, HMENU menu, UINT id, ULONG_PTR data, const RECT& rect) {
    if (!owner || !IsWindow(owner))
        return {};
    HDC reference = GetDC(nullptr);
    HDC recorder = CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
    ReleaseDC(nullptr, reference);
    if (!recorder)
        return {};
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_MENU;
    item.itemID = id;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = reinterpret_cast<HWND>(menu);
    item.hDC = recorder;
    item.rcItem = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    item.itemData = data;
    SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    HENHMETAFILE picture = CloseEnhMetaFile(recorder);
    std::wstring text;
    if (picture) {
        EnumEnhMetaFile(nullptr, picture, CollectText, &text, nullptr);
        DeleteEnhMetaFile(picture);
    }
    return text;
}

// Wine names the menu window itself as the menu's owner, and a child window (a
// Today item) may track the menu and draw its items: ask the menu window's
// owner and its children too.
struct ChildSearch {
    HMENU menu;
    UINT id;
    ULONG_PTR data;
    RECT rect;
    std::wstring text;
};

BOOL CALLBACK AskChild(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    search->text = DrawnText(child, search->menu, search->id, search->data, search->rect);
    return search->text.empty();
}

std::wstring OwnerDrawnText(const GUITHREADINFO& gui, HMENU menu, UINT id, ULONG_PTR data, const RECT& rect) {
    const HWND candidates[] = {gui.hwndMenuOwner,
                               gui.hwndMenuOwner ? GetWindow(gui.hwndMenuOwner, GW_OWNER) : nullptr,
                               gui.hwndFocus, gui.hwndActive};
    for (HWND owner : candidates) {
        if (!owner || !IsWindow(owner))
            continue;
        std::wstring text = DrawnText(owner, menu, id, data, rect);
        if (text.empty()) {
            ChildSearch search{menu, id, data, rect, {}};
            EnumChildWindows(owner, AskChild, reinterpret_cast<LPARAM>(&search));
            text = search.text;
        }
        if (!text.empty())
            return text;
    }
    return {};
}

std::wstring ItemFlags(const MENUITEMINFOW& info) {
    std::wstring flags;
    auto add = [&](const wchar_t* flag) {
        if (!flags.empty())
            flags += L',';
        flags += flag;
    };
    if (info.fType & MFT_SEPARATOR)
        add(L"separator");
    if (info.fType & MFT_OWNERDRAW)
        add(L"ownerdraw");
    if (info.fState & MFS_CHECKED)
        add(L"checked");
    if (info.fState & MFS_GRAYED)
        add(L"grayed");
    if (info.fState & MFS_HILITE)
        add(L"highlighted");
    if (info.fState & MFS_DEFAULT)
        add(L"default");
    if (info.hSubMenu)
        add(L"popup");
    return flags.empty() ? L"-" : flags;
}

// The report file the agent waits for: C:\Windows\Temp\agent-KIND-REQUEST.txt.
void WriteAnswer(const wchar_t* kind, WPARAM request, const std::string& out) {
    wchar_t path[MAX_PATH];
    swprintf(path, MAX_PATH, L"C:\\Windows\\Temp\\agent-%ls-%lu.txt", kind,
             static_cast<unsigned long>(request));
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
}

void AnswerMenuQuery(HWND menuWindow, WPARAM request) {
    std::string out;
    auto line = [&](const std::wstring& text) {
        AppendUtf8(out, text);
        out += '\n';
    };
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, kGetMenuHandle, 0, 0));
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetCurrentThreadId(), &gui);
    const int count = menu ? GetMenuItemCount(menu) : -1;
    wchar_t head[200];
    swprintf(head, 200, L"menu|%p|%d|%p", static_cast<void*>(menu), count,
             static_cast<void*>(gui.hwndMenuOwner));
    line(head);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info))
            continue;
        std::vector<wchar_t> buffer(info.cch + 1, L'\0');
        info.dwTypeData = buffer.data();
        info.cch = static_cast<UINT>(buffer.size());
        GetMenuItemInfoW(menu, i, TRUE, &info);
        std::wstring text = (info.fType & MFT_SEPARATOR) ? L"" : buffer.data();
        RECT rect{};
        GetMenuItemRect(nullptr, menu, i, &rect);
        if (text.empty() && (info.fType & MFT_OWNERDRAW))
            text = OwnerDrawnText(gui, menu, info.wID, info.dwItemData, rect);
        wchar_t fields[200];
        swprintf(fields, 200, L"item|%d|%u|%ls|%ld|%ld|%ld|%ld|", i, info.wID, ItemFlags(info).c_str(),
                 rect.left, rect.top, rect.right, rect.bottom);
        line(fields + FieldText(text));
    }
    WriteAnswer(L"menu", request, out);
}

// ---------------------------------------------------------------- dialogs
// The controls of a window and all its descendants, read from inside the
// process that owns them (list views, combo boxes, track bars and tab controls
// keep their items there):
//   window|HWND|CLASS|LEFT|TOP|RIGHT|BOTTOM|TITLE
//   control|HWND|PARENT|ID|CLASS|FLAGS|LEFT|TOP|RIGHT|BOTTOM|TEXT
//   item|CONTROL|INDEX|FLAGS|LEFT|TOP|RIGHT|BOTTOM|TEXT     (list, combo and tab items)
//   range|CONTROL|MIN|MAX|POS|thumb L|T|R|B|channel L|T|R|B  (track bars)
//   list|CONTROL|LISTHWND                                  (a combo box's drop-down list)
// Rectangles are in screen pixels; an item's rectangle is empty when it cannot
// be seen (scrolled away, or a closed combo box).

std::wstring Handle(HWND hwnd) {
    return std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
}

std::wstring Rect(RECT r) {
    wchar_t text[80];
    swprintf(text, 80, L"%ld|%ld|%ld|%ld", r.left, r.top, r.right, r.bottom);
    return text;
}

RECT ToScreen(HWND hwnd, RECT r) {
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The part of an item's rectangle that lies in the control's client area, in
// screen pixels (empty when none does); whole tells whether all of it does.
RECT VisiblePart(HWND control, RECT item, bool* whole = nullptr) {
    RECT client{};
    GetClientRect(control, &client);
    RECT seen{};
    if (whole != nullptr)
        *whole = false;
    if (!IntersectRect(&seen, &client, &item))
        return RECT{};
    // Whole: all of its height can be seen (a wide item may run on sideways).
    if (whole != nullptr)
        *whole = seen.top == item.top && seen.bottom == item.bottom;
    return ToScreen(control, seen);
}

void Add(std::wstring& flags, const wchar_t* flag) {
    if (!flags.empty())
        flags += L',';
    flags += flag;
}

struct DialogReport {
    std::string out;
    HWND focus;
    void Line(const std::wstring& text) {
        AppendUtf8(out, text);
        out += '\n';
    }
};

// FLAGS: "selected", "visible" (the item's whole height can be seen), "partly"
// (only a part of it can); RECT is always the part that can be seen.
void ReportItem(DialogReport& report, HWND control, int index, bool selected, RECT rect, bool whole,
                const std::wstring& text) {
    std::wstring flags;
    if (selected)
        Add(flags, L"selected");
    if (rect.right > rect.left)
        Add(flags, whole ? L"visible" : L"partly");
    report.Line(L"item|" + Handle(control) + L"|" + std::to_wstring(index) + L"|" +
                (flags.empty() ? L"-" : flags) + L"|" + Rect(rect) + L"|" + FieldText(text));
}

std::wstring ListBoxText(HWND list, int index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length <= 0 || length > 4096)
        return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void ReportListBoxItems(DialogReport& report, HWND control, HWND list, bool shown) {
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    const bool multiple = (GetWindowLongW(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
    const int current = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item{};
        RECT where{};
        bool whole = false;
        if (shown && SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)) != LB_ERR)
            where = VisiblePart(list, item, &whole);
        const bool selected = multiple ? SendMessageW(list, LB_GETSEL, i, 0) > 0 : i == current;
        ReportItem(report, control, i, selected, where, whole, ListBoxText(list, i));
    }
}

void ReportControl(DialogReport& report, HWND hwnd) {
    wchar_t cls[64] = L"";
    GetClassNameW(hwnd, cls, 64);
    const std::wstring name = cls;
    std::wstring lower = name;
    for (auto& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    std::wstring flags;
    if (IsWindowVisible(hwnd))
        Add(flags, L"visible");
    if (!IsWindowEnabled(hwnd))
        Add(flags, L"disabled");
    if (hwnd == report.focus || IsChild(hwnd, report.focus))
        Add(flags, L"focused");
    if (lower == L"button") {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
            type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
            Add(flags, L"checkable");
            const LRESULT state = SendMessageW(hwnd, BM_GETCHECK, 0, 0);
            if (state == BST_CHECKED)
                Add(flags, L"checked");
            else if (state == BST_INDETERMINATE)
                Add(flags, L"indeterminate");
        }
    } else if (lower == L"edit" && (style & ES_READONLY)) {
        Add(flags, L"readonly");
    } else if (lower == L"combobox" && SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
        Add(flags, L"dropped");
    }
    RECT r{};
    GetWindowRect(hwnd, &r);
    wchar_t text[1024] = L"";
    GetWindowTextW(hwnd, text, 1024);
    report.Line(L"control|" + Handle(hwnd) + L"|" + Handle(GetParent(hwnd)) + L"|" +
                std::to_wstring(GetDlgCtrlID(hwnd)) + L"|" + name + L"|" + (flags.empty() ? L"-" : flags) +
                L"|" + Rect(r) + L"|" + FieldText(text));

    if (lower == L"combobox") {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        const bool dropped = SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
        if (GetComboBoxInfo(hwnd, &info) && info.hwndList) {
            report.Line(L"list|" + Handle(hwnd) + L"|" + Handle(info.hwndList));
            ReportListBoxItems(report, hwnd, info.hwndList, dropped && IsWindowVisible(info.hwndList));
        }
    } else if (lower == L"listbox") {
        ReportListBoxItems(report, hwnd, hwnd, true);
    } else if (lower == L"syslistview32") {
        const int count = static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t itemText[512] = L"";
            LVITEMW item{};
            item.iSubItem = 0;
            item.pszText = itemText;
            item.cchTextMax = 512;
            SendMessageW(hwnd, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            RECT bounds{};
            bounds.left = LVIR_LABEL;
            RECT where{};
            bool whole = false;
            if (SendMessageW(hwnd, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&bounds)))
                where = VisiblePart(hwnd, bounds, &whole);
            const bool selected =
                (SendMessageW(hwnd, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) != 0;
            ReportItem(report, hwnd, i, selected, where, whole, itemText);
        }
    } else if (lower == L"systabcontrol32") {
        const int count = static_cast<int>(SendMessageW(hwnd, TCM_GETITEMCOUNT, 0, 0));
        const int current = static_cast<int>(SendMessageW(hwnd, TCM_GETCURSEL, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t itemText[256] = L"";
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = itemText;
            item.cchTextMax = 256;
            SendMessageW(hwnd, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            RECT bounds{};
            RECT where{};
            bool whole = false;
            if (SendMessageW(hwnd, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&bounds)))
                where = VisiblePart(hwnd, bounds, &whole);
            ReportItem(report, hwnd, i, i == current, where, whole, itemText);
        }
    } else if (lower == L"msctls_trackbar32") {
        RECT thumb{};
        RECT channel{};
        SendMessageW(hwnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        SendMessageW(hwnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        report.Line(L"range|" + Handle(hwnd) + L"|" +
                    std::to_wstring(SendMessageW(hwnd, TBM_GETRANGEMIN, 0, 0)) + L"|" +
                    std::to_wstring(SendMessageW(hwnd, TBM_GETRANGEMAX, 0, 0)) + L"|" +
                    std::to_wstring(SendMessageW(hwnd, TBM_GETPOS, 0, 0)) + L"|" +
                    Rect(ToScreen(hwnd, thumb)) + L"|" + Rect(ToScreen(hwnd, channel)));
    }
}

BOOL CALLBACK ReportChild(HWND hwnd, LPARAM param) {
    ReportControl(*reinterpret_cast<DialogReport*>(param), hwnd);
    return TRUE;
}

void AnswerDialogQuery(HWND window, WPARAM request) {
    DialogReport report;
    report.focus = GetFocus();
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    wchar_t title[512] = L"";
    GetWindowTextW(window, title, 512);
    RECT r{};
    GetWindowRect(window, &r);
    report.Line(L"window|" + Handle(window) + L"|" + cls + L"|" + Rect(r) + L"|" + FieldText(title));
    EnumChildWindows(window, ReportChild, reinterpret_cast<LPARAM>(&report));
    WriteAnswer(L"dialog", request, report.out);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK AgentDialogHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT query = RegisterWindowMessageW(kDialogQueryMessage);
    if (code == HC_ACTION && lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (query && call->message == query)
            AnswerDialogQuery(call->hwnd, call->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK AgentMenuHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT query = RegisterWindowMessageW(kMenuQueryMessage);
    if (code == HC_ACTION && lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (query && call->message == query)
            AnswerMenuQuery(call->hwnd, call->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
