// Row pictures (see RowPictures.h).
#include "RowPictures.h"

#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageShortcutIcon.h"

#include <functional>

namespace norvane::options {

namespace {

// Draws into a new entry of the list through paint(dc).
int AddDrawn(HIMAGELIST list, int size, const std::function<bool(HDC)>& paint) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScreenDc screen;
    UniqueBitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
    if (!bitmap || !dc) {
        return -1;
    }
    bool drawn = false;
    {
        SelectedObject selected(dc.get(), bitmap.get());
        RECT all{0, 0, size, size};
        FillRect(dc.get(), &all, GetSysColorBrush(COLOR_WINDOW));
        drawn = paint(dc.get());
    }
    if (!drawn) {
        return -1;
    }
    // Opaque: the window colour is part of the picture.
    auto* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < size * size; ++i) {
        pixels[i] |= 0xFF000000u;
    }
    return ImageList_Add(list, bitmap.get(), nullptr);
}

} // namespace

UniqueImageList MakeRowImageList(int size) {
    return UniqueImageList(ImageList_Create(size, size, ILC_COLOR32, 8, 8));
}

int AddRowPicture(HIMAGELIST list, const ShortcutIcon* picture, int size) {
    if (list == nullptr || picture == nullptr || !picture->IsLoaded()) {
        return -1;
    }
    return AddDrawn(list, size, [&](HDC dc) {
        if (!picture->image.IsEmpty()) {
            const Bitmap32& image = picture->image;
            if (image.Width() <= size && image.Height() <= size) {
                return DrawImage(image, dc, (size - image.Width()) / 2, (size - image.Height()) / 2);
            }
            // Blended onto the window colour at its own size, then reduced.
            ScreenDc screen;
            UniqueBitmap full(CreateCompatibleBitmap(screen.Get(), image.Width(), image.Height()));
            UniqueMemoryDc source(CreateCompatibleDC(dc));
            if (!full || !source) {
                return false;
            }
            SelectedObject selected(source.get(), full.get());
            RECT all{0, 0, image.Width(), image.Height()};
            FillRect(source.get(), &all, GetSysColorBrush(COLOR_WINDOW));
            DrawImage(image, source.get(), 0, 0);
            SetStretchBltMode(dc, HALFTONE);
            return StretchBlt(dc, 0, 0, size, size, source.get(), 0, 0, image.Width(), image.Height(),
                              SRCCOPY) != FALSE;
        }
        if (picture->bitmap) {
            BITMAP info{};
            if (!GetObjectW(picture->bitmap.get(), sizeof info, &info)) {
                return false;
            }
            UniqueMemoryDc source(CreateCompatibleDC(dc));
            SelectedObject selected(source.get(), picture->bitmap.get());
            SetStretchBltMode(dc, HALFTONE);
            return StretchBlt(dc, 0, 0, size, size, source.get(), 0, 0, info.bmWidth, info.bmHeight,
                              SRCCOPY) != FALSE;
        }
        return DrawIconEx(dc, 0, 0, picture->icon.get(), size, size, 0, nullptr, DI_NORMAL) != FALSE;
    });
}

int AddRowIcon(HIMAGELIST list, HICON icon, int size) {
    if (list == nullptr || icon == nullptr) {
        return -1;
    }
    return AddDrawn(list, size, [&](HDC dc) {
        return DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != FALSE;
    });
}

} // namespace norvane::options
