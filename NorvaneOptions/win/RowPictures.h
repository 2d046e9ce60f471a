// The small pictures of list rows (the Shortcuts page's shortcuts, the target
// browser's entries): an image list of one size that owns what it holds, and
// the drawing of a shortcut's loaded picture or an icon into a new entry.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

namespace norvane {
struct ShortcutIcon;
}

namespace norvane::options {

struct ImageListDeleter {
    void operator()(HIMAGELIST list) const {
        if (list != nullptr) {
            ImageList_Destroy(list);
        }
    }
};
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

// A list of size-by-size pictures on the window colour.
UniqueImageList MakeRowImageList(int size);
// Adds the picture (scaled into the square); -1 when there is none to add.
int AddRowPicture(HIMAGELIST list, const ShortcutIcon* picture, int size);
int AddRowIcon(HIMAGELIST list, HICON icon, int size);

} // namespace norvane::options
