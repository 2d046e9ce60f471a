// DeviceAgentHook.dll: the agent's reach into the process that shows a popup
// menu. Wine keeps a menu's items in the memory of the process that built it:
// GetMenuItemInfo and GetMenuItemRect on another process's menu fail. So the
// agent hooks the menu window's thread (WH_CALLWNDPROC, this DLL loaded into
// that process) and sends the menu window a query; the hook answers from
// inside, where the menu calls work, into a report file the agent reads.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMenuQueryMessage[] = L"NorvaneDeviceAgent_MenuQuery";
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
    wchar_t path[MAX_PATH];
    swprintf(path, MAX_PATH, L"C:\\Windows\\Temp\\agent-menu-%lu.txt", static_cast<unsigned long>(request));
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

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
