// The image chooser and its grid.
#include "ImageChooser.h"

#include "Aygshell.h"
#include "BuiltinImage.h"
#include "CeFiles.h"
#include "CeMenuBar.h"
#include "DisplayScale.h"
#include "FolderPicker.h"
#include "ImageDraw.h"
#include "ImageHeader.h"
#include "ImageLoader.h"
#include "OptionsApp.h"
#include "OptionTables.h"
#include "Win32Handles.h"

#include <algorithm>

namespace norvane::options {

namespace {

constexpr wchar_t kSizeLetters[] = {L's', L'm', L'l'};

// The first bytes of a file, enough for its header.
bool ReadHeaderBytes(const std::wstring& path, std::string& bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    bytes.assign(kImageHeaderBytes, '\0');
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
        return false;
    }
    bytes.resize(got);
    return true;
}

bool FitsHeader(const std::wstring& path, ImageFileKind kind, int largest) {
    std::string bytes;
    int width = 0;
    int height = 0;
    return ReadHeaderBytes(path, bytes) && ReadImageHeaderSize(bytes, kind, width, height) &&
           width <= largest && height <= largest;
}

// A bitmap file through the platform's loader, opaque.
bool LoadBitmapFile(const std::wstring& path, Bitmap32& picture) {
    HBITMAP bitmap = SHLoadDIBitmap(path.c_str());
    if (bitmap == nullptr) {
        return false;
    }
    bool ok = false;
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) != 0 && info.bmWidth > 0 && info.bmHeight > 0 &&
        picture.Allocate(info.bmWidth, info.bmHeight)) {
        BITMAPINFO header{};
        header.bmiHeader.biSize = sizeof header.bmiHeader;
        header.bmiHeader.biWidth = info.bmWidth;
        header.bmiHeader.biHeight = -info.bmHeight;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        std::vector<std::uint32_t> pixels(picture.PixelCount());
        HDC dc = GetDC(nullptr);
        ok = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
                       DIB_RGB_COLORS) > 0;
        ReleaseDC(nullptr, dc);
        for (std::size_t i = 0; ok && i < pixels.size(); ++i) {
            picture.Red()[i] = static_cast<std::uint8_t>(pixels[i] >> 16);
            picture.Green()[i] = static_cast<std::uint8_t>(pixels[i] >> 8);
            picture.Blue()[i] = static_cast<std::uint8_t>(pixels[i]);
            picture.Alpha()[i] = 255;
        }
    }
    DeleteObject(bitmap);
    if (!ok) {
        picture.Empty();
    }
    return ok;
}

} // namespace

int LargestImage(ImageMode mode) {
    return mode == ImageMode::TabImages ? ScaleX(64) : 64;
}

int GridCell(ImageMode mode) {
    return mode == ImageMode::TabImages ? ScaleX(64) : ScaleX(32);
}

std::vector<ImageEntry> CollectImages(const std::wstring& folder, ImageMode mode,
                                      const std::wstring& pluginModule) {
    std::vector<ImageEntry> entries;
    if (folder == kBuiltinFolder) {
        UniqueModule plugin(LoadLibraryExW(pluginModule.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!plugin) {
            return entries;
        }
        for (int i = 0; i < kBuiltinImageCount; ++i) {
            for (wchar_t letter : kSizeLetters) {
                ImageEntry entry;
                entry.reference = L"builtin:" + std::to_wstring(i) + letter;
                if (LoadTabImage(entry.reference, entry.picture, plugin.Get(), plugin.Get(),
                                 HiResDisplay())) {
                    entries.push_back(std::move(entry));
                }
            }
        }
        return entries;
    }
    const std::wstring base = WithTrailingBackslash(folder);
    const int largest = LargestImage(mode);
    WIN32_FIND_DATAW found{};
    HANDLE search = CeFindFirstFile((base + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    std::vector<std::wstring> names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (CeFindNextFile(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return lstrcmpiW(a.c_str(), b.c_str()) < 0;
    });
    for (const std::wstring& name : names) {
        const ImageFileKind kind = ImageFileKindOf(name);
        ImageEntry entry;
        entry.reference = base + name;
        bool loaded = false;
        if (kind == ImageFileKind::Bmp) {
            loaded = mode == ImageMode::ShortcutImages && LoadBitmapFile(entry.reference, entry.picture);
        } else if (kind == ImageFileKind::Png || kind == ImageFileKind::Tga) {
            loaded =
                FitsHeader(entry.reference, kind, largest) && LoadImageFile(entry.picture, entry.reference);
        }
        if (loaded && entry.picture.Width() <= largest && entry.picture.Height() <= largest) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

bool RegisterImageGridClass(HINSTANCE instance) {
    WNDCLASSW existing{};
    if (GetClassInfoW(instance, kImageGridClass, &existing)) {
        return true;
    }
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ImageChooser::GridProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kImageGridClass;
    return RegisterClassW(&wc) != 0;
}

ImageChooser::ImageChooser(OptionsApp& app, ImageMode mode)
    : m_app(app), m_mode(mode), m_pluginModule(names::kPluginModule) {}

bool ImageChooser::Run(HWND owner, std::wstring& reference) {
    m_accepted = false;
    RegisterImageGridClass(m_app.Instance());
    RunModal(m_app.Instance(), MAKEINTRESOURCEW(IDD_IMAGE_CHOOSER), owner);
    if (m_accepted) {
        reference = m_reference;
    }
    return m_accepted;
}

HWND ImageChooser::Create(HWND owner) {
    m_accepted = false;
    RegisterImageGridClass(m_app.Instance());
    return CreateModeless(m_app.Instance(), MAKEINTRESOURCEW(IDD_IMAGE_CHOOSER), owner);
}

void ImageChooser::OnInit() {
    SetDlgItemTextW(m_hwnd, IDC_IMAGE_DEFAULT, m_app.Text(IDS_DEFAULT).c_str());
    SetDlgItemTextW(m_hwnd, IDC_IMAGE_SELECT, m_app.Text(IDS_SELECT).c_str());
    SetDlgItemTextW(m_hwnd, IDC_IMAGE_CANCEL, m_app.Text(IDS_CANCEL).c_str());
    SetDlgItemTextW(m_hwnd, IDC_IMAGE_BROWSE, m_app.Text(IDS_BROWSE_BUTTON).c_str());
    m_anchors.Capture(m_hwnd, PrepareDialog(m_hwnd, m_app, IDD_IMAGE_CHOOSER_WIDE, m_fonts,
                                            SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN));
    m_anchors.Add(IDC_IMAGE_FOLDER, kStretchRight);
    m_anchors.Add(IDC_IMAGE_BROWSE, kMoveRight);
    m_anchors.Add(IDC_IMAGE_GRID, kStretchRight | kStretchDown);
    m_anchors.Add(IDC_IMAGE_DEFAULT, kMoveDown);
    m_anchors.Add(IDC_IMAGE_SELECT, kMoveDown | kMoveRight);
    m_anchors.Add(IDC_IMAGE_CANCEL, kMoveDown | kMoveRight);
    RECT client;
    GetClientRect(m_hwnd, &client);
    m_anchors.Apply(client.right, client.bottom);
    m_grid = Item(IDC_IMAGE_GRID);
    SetWindowLongPtrW(m_grid, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (m_mode == ImageMode::TabImages) {
        ShowWindow(Item(IDC_IMAGE_DEFAULT), SW_HIDE);
    }
    m_menuBar.Create(m_hwnd);
    std::wstring folder = m_mode == ImageMode::TabImages ? kBuiltinFolder : L"\\";
    std::wstring stored;
    if (m_app.ReadString(m_mode == ImageMode::TabImages ? names::kTabImageBrowsePathValue
                                                        : names::kImageBrowsePathValue,
                         stored) &&
        !stored.empty()) {
        folder = stored;
    }
    ShowFolder(folder);
    SetFocus(m_grid);
}

void ImageChooser::ShowFolder(const std::wstring& folder) {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_folder = folder;
    m_app.WriteString(m_mode == ImageMode::TabImages ? names::kTabImageBrowsePathValue
                                                     : names::kImageBrowsePathValue,
                      m_folder);
    SetDlgItemTextW(m_hwnd, IDC_IMAGE_FOLDER, m_folder.c_str());
    m_entries = CollectImages(m_folder, m_mode, m_pluginModule);
    m_selected = -1;
    m_scroll = 0;
    UpdateScroll();
    if (m_grid != nullptr) {
        InvalidateRect(m_grid, nullptr, TRUE);
    }
    SetCursor(old);
}

void ImageChooser::Select(int index) {
    m_selected = index >= 0 && index < static_cast<int>(m_entries.size()) ? index : -1;
    if (m_grid != nullptr) {
        InvalidateRect(m_grid, nullptr, FALSE);
    }
}

void ImageChooser::Choose() {
    if (m_selected >= 0) {
        m_reference = m_entries[static_cast<std::size_t>(m_selected)].reference;
    } else if (m_mode == ImageMode::ShortcutImages) {
        m_reference.clear();
    } else {
        return; // a tab needs a picture
    }
    m_accepted = true;
    End(IDOK);
}

void ImageChooser::Browse() {
    SHSipPreference(m_hwnd, SIP_DOWN);
    if (m_mode == ImageMode::TabImages) {
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 1, m_app.Text(IDS_BUILTIN_TAB_IMAGES).c_str());
        AppendMenuW(menu, MF_STRING, 2, m_app.Text(IDS_BROWSE_FOR_FOLDER).c_str());
        RECT button;
        GetWindowRect(Item(IDC_IMAGE_BROWSE), &button);
        const int choice =
            static_cast<int>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_TOPALIGN,
                                              button.right, button.bottom, m_hwnd, nullptr));
        DestroyMenu(menu);
        if (choice == 1) {
            ShowFolder(kBuiltinFolder);
            return;
        }
        if (choice != 2) {
            return;
        }
    }
    FolderPicker picker(m_app, m_folder == kBuiltinFolder ? std::wstring() : m_folder);
    std::wstring chosen;
    if (picker.Run(m_hwnd, chosen)) {
        ShowFolder(chosen);
    }
}

int ImageChooser::Columns() const {
    RECT client{};
    GetClientRect(m_grid, &client);
    const int step = GridCell(m_mode) + ScaleX(4);
    return std::max(1, (static_cast<int>(client.right) - ScaleX(4)) / step);
}

RECT ImageChooser::CellRect(int index) const {
    const int cell = GridCell(m_mode);
    const int columns = Columns();
    const int x = ScaleX(4) + (index % columns) * (cell + ScaleX(4));
    const int y = ScaleY(4) + (index / columns) * (cell + ScaleY(4)) - m_scroll;
    return RECT{x, y, x + cell, y + cell};
}

int ImageChooser::EntryAt(POINT point) const {
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
        const RECT cell = CellRect(i);
        if (PtInRect(&cell, point)) {
            return i;
        }
    }
    return -1;
}

void ImageChooser::UpdateScroll() {
    if (m_grid == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(m_grid, &client);
    const int rows = (static_cast<int>(m_entries.size()) + Columns() - 1) / Columns();
    const int total = ScaleY(4) + rows * (GridCell(m_mode) + ScaleY(4));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, total - 1);
    info.nPage = static_cast<UINT>(std::max<LONG>(1, client.bottom));
    m_scroll = std::max(0, std::min(m_scroll, total - static_cast<int>(client.bottom)));
    info.nPos = m_scroll;
    SetScrollInfo(m_grid, SB_VERT, &info, TRUE);
}

void ImageChooser::ScrollIntoView(int index) {
    RECT client{};
    GetClientRect(m_grid, &client);
    const RECT cell = CellRect(index);
    if (cell.top < 0) {
        Scroll(m_scroll + cell.top - ScaleY(4));
    } else if (cell.bottom > client.bottom) {
        Scroll(m_scroll + cell.bottom - client.bottom + ScaleY(4));
    }
}

void ImageChooser::Scroll(int position) {
    m_scroll = std::max(0, position);
    UpdateScroll();
    InvalidateRect(m_grid, nullptr, TRUE);
}

void ImageChooser::PaintGrid(HDC dc) {
    RECT client{};
    GetClientRect(m_grid, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    if (m_entries.empty()) {
        RECT text = client;
        InflateRect(&text, -ScaleX(8), -ScaleY(8));
        HGDIOBJ old = SelectObject(dc, FontOf(m_hwnd, m_fonts));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        const std::wstring message = m_app.Text(IDS_NO_IMAGES);
        RECT measure = text;
        DrawTextW(dc, message.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
        const int height = measure.bottom - measure.top;
        text.top = std::max(text.top, (client.bottom - height) / 2);
        DrawTextW(dc, message.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        return;
    }
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
        RECT cell = CellRect(i);
        if (cell.bottom < 0 || cell.top > client.bottom) {
            continue;
        }
        if (i == m_selected) {
            RECT mark = cell;
            InflateRect(&mark, ScaleX(2), ScaleY(2));
            FillRect(dc, &mark, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        const Bitmap32& picture = m_entries[static_cast<std::size_t>(i)].picture;
        const int x = cell.left + (cell.right - cell.left - picture.Width()) / 2;
        const int y = cell.top + (cell.bottom - cell.top - picture.Height()) / 2;
        DrawImage(picture, dc, x, y);
    }
}

LRESULT CALLBACK ImageChooser::GridProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ImageChooser*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->PaintGrid(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        self->PaintGrid(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        self->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
        self->Select(
            self->EntryAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}));
        return 0;
    case WM_LBUTTONDBLCLK:
        self->Select(
            self->EntryAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}));
        if (self->m_selected >= 0) {
            self->Choose();
        }
        return 0;
    case WM_VSCROLL: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(hwnd, SB_VERT, &info);
        const int line = GridCell(self->m_mode) + ScaleY(4);
        int position = info.nPos;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            position -= line;
            break;
        case SB_LINEDOWN:
            position += line;
            break;
        case SB_PAGEUP:
            position -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += static_cast<int>(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        default:
            break;
        }
        self->Scroll(position);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

INT_PTR ImageChooser::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return FALSE; // the focus is on the grid
    case WM_SIZE:
        m_anchors.Apply(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_IMAGE_SELECT:
            Choose();
            return TRUE;
        case IDC_IMAGE_DEFAULT:
            if (m_mode == ImageMode::ShortcutImages) {
                m_reference.clear();
                m_accepted = true;
                End(IDOK);
            }
            return TRUE;
        case IDCANCEL:
        case IDC_IMAGE_CANCEL:
            m_accepted = false;
            End(IDCANCEL);
            return TRUE;
        case IDC_IMAGE_BROWSE:
            Browse();
            return TRUE;
        default:
            break;
        }
        break;
    case WM_DESTROY:
        if (m_grid != nullptr) {
            SetWindowLongPtrW(m_grid, GWLP_USERDATA, 0);
        }
        m_grid = nullptr;
        m_menuBar.Destroy();
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
