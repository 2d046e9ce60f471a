// What every page and dialog of the options program does when it starts: the
// landscape places from its alternate template, true-VGA doubling of every
// control and font, full-screen sizing with the Done button; plus a small
// dialog base that binds the object to its window and hands messages to
// virtual handlers.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

namespace norvane::options {

class OptionsApp;

// The fonts a dialog created for itself; deleted with it.
class DialogFonts {
public:
    DialogFonts() = default;
    ~DialogFonts();
    DialogFonts(const DialogFonts&) = delete;
    DialogFonts& operator=(const DialogFonts&) = delete;
    HFONT Add(HFONT font);
    void Clear();
    std::size_t Count() const { return m_fonts.size(); }
    // The doubled font of the dialog itself (null when it has none). A dialog
    // keeps the font of its template whatever WM_SETFONT says, so what it
    // draws itself or hands to controls it creates asks here (FontOf).
    HFONT DialogFont() const { return m_dialogFont; }
    void SetDialogFont(HFONT font) { m_dialogFont = Add(font); }

private:
    std::vector<HFONT> m_fonts;
    HFONT m_dialogFont = nullptr;
};

// The font the dialog's own drawing uses: its doubled font, else its own.
HFONT FontOf(HWND dialog, const DialogFonts& fonts);

// True when the screen is at least as wide as it is high.
bool IsLandscapeScreen();

// Moves the controls to the places the alternate template gives for the same
// ids (converted from the dialog's own dialog units); controls the template
// lacks stay. False when the template cannot be read; otherwise size is the
// alternate template's own size in pixels.
bool ApplyAlternateTemplate(HWND dialog, HINSTANCE module, LPCWSTR templateId, SIZE* size = nullptr);

// Doubles every child control's position and size and gives each control (and
// the dialog) a font of twice its height; the fonts go into fonts.
void DoubleDialog(HWND dialog, DialogFonts& fonts);

// The start of every page and dialog: the landscape template when the screen is
// wide (landscapeId 0: none), true-VGA doubling when the program scales, and
// full-screen sizing with a Done button (shFlags for SHInitDialog, 0: none).
// Returns the size the controls were laid out for (the template's, doubled
// with them), from which Anchors follow later sizes.
SIZE PrepareDialog(HWND dialog, const OptionsApp& app, int landscapeId, DialogFonts& fonts, DWORD shFlags);

// Controls that follow the dialog's size: they keep their distance to the
// right or bottom edge (Move) or grow with it (Stretch).
enum AnchorFlags : unsigned {
    kMoveRight = 1,
    kMoveDown = 2,
    kStretchRight = 4,
    kStretchDown = 8,
};

class Anchors {
public:
    // designSize: the size the controls' current places were made for.
    void Capture(HWND dialog, SIZE designSize);
    void Add(int id, unsigned flags);
    // Places the controls for a new client size.
    void Apply(int width, int height) const;

private:
    struct Entry {
        int id;
        unsigned flags;
        RECT rect;
    };
    HWND m_dialog = nullptr;
    SIZE m_design{};
    std::vector<Entry> m_entries;
};

// A modal or modeless dialog bound to an object: WM_INITDIALOG's parameter is
// the object, every later message goes to HandleMessage.
class DialogBase {
public:
    virtual ~DialogBase() = default;
    HWND Handle() const { return m_hwnd; }

    // Modal; the result passed to EndDialog (or -1 when it cannot be shown).
    INT_PTR RunModal(HINSTANCE module, LPCWSTR templateId, HWND owner);
    // Modeless (tests drive dialogs this way); null on failure.
    HWND CreateModeless(HINSTANCE module, LPCWSTR templateId, HWND owner);

    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Returns TRUE for messages it handled (DWLP_MSGRESULT set where needed).
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    // Ends a modal dialog, or destroys a modeless one.
    void End(INT_PTR result);
    bool Modal() const { return m_modal; }

    HWND m_hwnd = nullptr;

private:
    bool m_modal = false;
};

// The controls of the dialog, for layouts that follow the dialog's size.
RECT ChildRect(HWND dialog, int id);

// A soft-key bar of a full-screen dialog's own, without keys: it lies over the
// frame's bar while the dialog is up, since the frame takes no command then and
// its Save and Menu must not show as if they did. Gone with the dialog.
class EmptyMenuBar {
public:
    EmptyMenuBar() = default;
    EmptyMenuBar(const EmptyMenuBar&) = delete;
    EmptyMenuBar& operator=(const EmptyMenuBar&) = delete;
    ~EmptyMenuBar() { Destroy(); }
    void Create(HWND dialog);
    void Destroy();
    HWND Handle() const { return m_bar; }

private:
    HWND m_bar = nullptr;
};

} // namespace norvane::options
