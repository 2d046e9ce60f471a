// The rows of the task-manager popup: separators, commands, windows (programs
// and the desktop) and the launch row. Each row paints itself into any DC and
// says how high it is; the popup stacks them.
#pragma once

#include "Bitmap32.h"
#include "ImageHandles.h"
#include "TaskLayout.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace norvane {

// Command bits of "TaskManagerCommandMask".
namespace taskcommand {
inline constexpr int kMinimize = 0x0001;
inline constexpr int kClose = 0x0002;
inline constexpr int kCloseAll = 0x0004;
inline constexpr int kCloseAllButCurrent = 0x0008;
inline constexpr int kQuickLaunchRow = 0x1000;
inline constexpr int kLaunchRow = 0x2000;
inline constexpr int kDesktopRow = 0x4000;
} // namespace taskcommand

struct ShortcutIcon;

// "plain n": n at the screen's dots per inch, without the true-VGA doubling.
int PlainX(int n);
int PlainY(int n);

// A shortcut's picture centred in a size x size square at (x, y): images are
// halved while larger, icons and bitmaps drawn at the size.
void DrawFittedPicture(HDC dc, const ShortcutIcon& picture, int x, int y, int size);

// An icon as an image with alpha, at the icon's own size: drawing the image
// costs a fraction of drawing the icon, which matters for a list of programs
// painted again at every change. False (image empty) when the icon cannot be read.
bool IconToImage(HICON icon, Bitmap32& image);

// How a row is drawn this time.
struct TaskDrawState {
    HFONT font = nullptr;
    COLORREF text = 0;
    COLORREF selectedText = 0;
    COLORREF selectedFill = 0;
    bool selected = false;
    bool closeBoxSelected = false; // only the close box carries the selection
    bool prefixes = false;         // AddTaskManagerPrefixes when the list was built
    const Bitmap32* closeBoxImage = nullptr;
};

class TaskItem {
public:
    TaskItem(TaskRowKind kind, std::wstring text) : m_kind(kind), m_text(std::move(text)) {}
    virtual ~TaskItem() = default;
    TaskItem(const TaskItem&) = delete;
    TaskItem& operator=(const TaskItem&) = delete;

    // Draws the row into its rectangle and remembers the rectangles for hit tests.
    virtual void Paint(HDC dc, const RECT& row, const TaskDrawState& state);
    // Height in plain pixels.
    virtual int PlainHeight() const { return 18; }

    TaskRowKind Kind() const { return m_kind; }
    const std::wstring& Text() const { return m_text; }
    // The text a width is measured for (what Paint shows).
    virtual std::wstring ShownText(bool prefixes) const { return m_text; }
    bool HasCloseBox() const { return m_hasCloseBox; }
    std::uintptr_t Value() const { return m_value; }
    HWND Window() const { return reinterpret_cast<HWND>(m_value); }
    const RECT& RowRect() const { return m_rowRect; }
    const RECT& CloseBoxRect() const { return m_closeRect; }
    wchar_t Accelerator() const { return m_accelerator; }

    void SetValue(std::uintptr_t value) { m_value = value; }
    void SetCloseBox(bool hasCloseBox) { m_hasCloseBox = hasCloseBox; }
    void SetAccelerator(wchar_t accelerator) { m_accelerator = accelerator; }
    void SetImage(const Bitmap32* image) { m_image = image; }

protected:
    // The text, the picture at the left and the close box, with the selection.
    void PaintContent(HDC dc, const RECT& row, const TaskDrawState& state, const std::wstring& text,
                      UINT format);
    COLORREF TextColour(const TaskDrawState& state) const {
        return state.selected && !state.closeBoxSelected ? state.selectedText : state.text;
    }

    TaskRowKind m_kind;
    std::wstring m_text;
    bool m_hasCloseBox = false;
    std::uintptr_t m_value = 0;
    RECT m_rowRect{};
    RECT m_closeRect{};
    wchar_t m_accelerator = 0;
    // Borrowed: a theme image of the popup, or a program's icon that the popup
    // keeps between lists.
    const Bitmap32* m_image = nullptr;
};

class SeparatorItem : public TaskItem {
public:
    SeparatorItem() : TaskItem(TaskRowKind::Separator, std::wstring()) {}
    void Paint(HDC dc, const RECT& row, const TaskDrawState& state) override;
    int PlainHeight() const override { return 8; }
};

// A command; its caption carries the "&" of its accelerator.
class CommandItem : public TaskItem {
public:
    CommandItem(int bit, std::wstring caption, const Bitmap32* image);
    void Paint(HDC dc, const RECT& row, const TaskDrawState& state) override;

protected:
    CommandItem(TaskRowKind kind, std::wstring caption);
};

// The launch row: a command row with a small triangle pointing right.
class LaunchItem : public CommandItem {
public:
    explicit LaunchItem(std::wstring caption);
    void Paint(HDC dc, const RECT& row, const TaskDrawState& state) override;
};

// A program's main window, or the desktop (no close box).
class WindowItem : public TaskItem {
public:
    WindowItem(HWND window, std::wstring title);
    void Paint(HDC dc, const RECT& row, const TaskDrawState& state) override;
    std::wstring ShownText(bool prefixes) const override;
};

} // namespace norvane
