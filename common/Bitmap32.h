// A decoded picture with a per-pixel alpha value, kept as four separate byte
// planes (red, green, blue, alpha). Pixel (x, y) is element y * width + x of each
// plane; row 0 is the top row. Every picture the launcher draws besides the
// system's own icons is held in one of these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace norvane {

class Bitmap32 {
public:
    // The largest picture we agree to hold, in pixels. Theme images are icon and
    // strip sized; this only keeps a hostile header from asking for gigabytes.
    static constexpr std::size_t kMaxPixels = 16u * 1024u * 1024u;

    Bitmap32() = default;
    Bitmap32(Bitmap32&& other) noexcept { Exchange(other); }
    Bitmap32& operator=(Bitmap32&& other) noexcept;
    Bitmap32(const Bitmap32&) = delete;
    Bitmap32& operator=(const Bitmap32&) = delete;

    // Allocates the four planes, all zero. Fails (leaving the image empty) for a
    // zero or negative size, a size above kMaxPixels or when memory runs out.
    bool Allocate(int width, int height);

    // Allocates and sets every pixel to colour (0x00BBGGRR: red from the low
    // byte) with the given alpha.
    bool CreateFilled(int width, int height, std::uint32_t colour, std::uint8_t alpha);

    // Frees the planes; width and height become 0.
    void Empty();
    bool IsEmpty() const { return !m_alpha; }

    // Swaps planes and sizes with another image without copying.
    void Exchange(Bitmap32& other) noexcept;

    // Becomes a copy of other (empty when other is, or when memory runs out).
    bool CopyFrom(const Bitmap32& other);

    // A new image of (width / 2) x (height / 2): each pixel of each plane is the
    // truncated mean of a 2 x 2 block; an odd last row or column is dropped.
    // Empty when the result would have no pixels.
    Bitmap32 Halve() const;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::size_t PixelCount() const { return static_cast<std::size_t>(m_width) * m_height; }

    std::uint8_t* Red() { return m_red.get(); }
    std::uint8_t* Green() { return m_green.get(); }
    std::uint8_t* Blue() { return m_blue.get(); }
    std::uint8_t* Alpha() { return m_alpha.get(); }
    const std::uint8_t* Red() const { return m_red.get(); }
    const std::uint8_t* Green() const { return m_green.get(); }
    const std::uint8_t* Blue() const { return m_blue.get(); }
    const std::uint8_t* Alpha() const { return m_alpha.get(); }

private:
    std::unique_ptr<std::uint8_t[]> m_red;
    std::unique_ptr<std::uint8_t[]> m_green;
    std::unique_ptr<std::uint8_t[]> m_blue;
    std::unique_ptr<std::uint8_t[]> m_alpha;
    int m_width = 0;
    int m_height = 0;
};

} // namespace norvane
