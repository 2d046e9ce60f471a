// Small owners for the GDI handles the image code creates.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace norvane {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;

// An icon that several holders may share (the icon of an unchanged file, kept
// by the icon cache and by every shortcut that shows it); destroyed with its
// last holder. reset() takes ownership, like UniqueIcon's.
class SharedIcon {
public:
    SharedIcon() = default;
    explicit SharedIcon(HICON icon) { reset(icon); }
    void reset(HICON icon = nullptr) {
        m_icon = icon ? std::shared_ptr<std::remove_pointer_t<HICON>>(icon, IconDeleter{}) : nullptr;
    }
    // Shows an icon someone else owns (a shared system icon): never destroyed here.
    void ResetUnowned(HICON icon) {
        m_icon = icon ? std::shared_ptr<std::remove_pointer_t<HICON>>(icon, [](HICON) {}) : nullptr;
    }
    HICON get() const { return m_icon.get(); }
    explicit operator bool() const { return m_icon != nullptr; }
    bool operator==(const SharedIcon& other) const { return m_icon == other.m_icon; }

private:
    std::shared_ptr<std::remove_pointer_t<HICON>> m_icon;
};

// A screen device context, released on scope exit.
class ScreenDc {
public:
    ScreenDc() : m_dc(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (m_old)
            SelectObject(m_dc, m_old);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace norvane
