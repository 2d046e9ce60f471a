// The image chooser: a grid of the pictures of one folder (or of the item's
// built-in tab pictures) from which the user picks a tab's or a shortcut's
// image. It answers the chosen picture's reference: a file path or a
// "builtin:" reference; empty for "Default".
#pragma once

#include "Bitmap32.h"
#include "DialogSupport.h"

#include <string>
#include <vector>

namespace norvane::options {

class OptionsApp;

enum class ImageMode {
    TabImages,      // "Image" of the Tabs page, "/image:" for a tab
    ShortcutImages, // "Image" of the Shortcuts page, "/image:" for a shortcut
};

// The folder name that stands for the item's built-in tab pictures.
inline constexpr wchar_t kBuiltinFolder[] = L"<Built-in tab images>";

struct ImageEntry {
    std::wstring reference;
    Bitmap32 picture;
};

// The pictures a folder offers in a mode, in the order they are listed.
// pluginModule: the item's DLL, for the built-in pictures.
std::vector<ImageEntry> CollectImages(const std::wstring& folder, ImageMode mode,
                                      const std::wstring& pluginModule);
// The largest picture a mode accepts and the grid's cell size, in pixels.
int LargestImage(ImageMode mode);
int GridCell(ImageMode mode);

class ImageChooser : public DialogBase {
public:
    ImageChooser(OptionsApp& app, ImageMode mode);

    // Modal; true on OK with the chosen reference (empty: no image).
    bool Run(HWND owner, std::wstring& reference);
    HWND Create(HWND owner); // modeless, for tests
    bool Accepted() const { return m_accepted; }
    const std::wstring& Reference() const { return m_reference; }
    const std::wstring& Folder() const { return m_folder; }
    const std::vector<ImageEntry>& Entries() const { return m_entries; }
    int Selected() const { return m_selected; }
    void Select(int index);
    // Shows another folder (the built-in pictures with kBuiltinFolder).
    void ShowFolder(const std::wstring& folder);
    // "Select" (and OK): ends when an entry is chosen, or with nothing when
    // "Default" is allowed.
    void Choose();

    // The grid's window procedure: a child window that draws the entries and
    // takes taps.
    static LRESULT CALLBACK GridProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Where the item's DLL is looked for (tests point it elsewhere).
    void SetPluginModule(std::wstring path) { m_pluginModule = std::move(path); }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnInit();
    void Browse();
    void PaintGrid(HDC dc);
    void UpdateScroll();
    int Columns() const;
    int EntryAt(POINT point) const;
    RECT CellRect(int index) const;
    void Scroll(int position);
    void ScrollIntoView(int index);

    OptionsApp& m_app;
    ImageMode m_mode;
    std::wstring m_folder;
    std::wstring m_pluginModule;
    std::vector<ImageEntry> m_entries;
    int m_selected = -1;
    int m_scroll = 0;
    bool m_accepted = false;
    std::wstring m_reference;
    HWND m_grid = nullptr;
    EmptyMenuBar m_menuBar;
    DialogFonts m_fonts;
    Anchors m_anchors;
};

// Registers the grid's window class (once); the dialog template names it.
bool RegisterImageGridClass(HINSTANCE instance);
inline constexpr wchar_t kImageGridClass[] = L"NorvaneImageGrid";

} // namespace norvane::options
