// Bitmap32: the four-plane picture record and its halving.
#include "Bitmap32.h"

#include <cstring>
#include <new>
#include <utility>

namespace norvane {

namespace {

std::unique_ptr<std::uint8_t[]> NewPlane(std::size_t count) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[count]());
}

} // namespace

Bitmap32& Bitmap32::operator=(Bitmap32&& other) noexcept {
    if (this != &other) {
        Empty();
        Exchange(other);
    }
    return *this;
}

bool Bitmap32::Allocate(int width, int height) {
    Empty();
    if (width <= 0 || height <= 0)
        return false;
    std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (count > kMaxPixels)
        return false;
    m_red = NewPlane(count);
    m_green = NewPlane(count);
    m_blue = NewPlane(count);
    m_alpha = NewPlane(count);
    if (!m_red || !m_green || !m_blue || !m_alpha) {
        Empty();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

bool Bitmap32::CreateFilled(int width, int height, std::uint32_t colour, std::uint8_t alpha) {
    if (!Allocate(width, height))
        return false;
    std::size_t count = PixelCount();
    std::memset(m_red.get(), static_cast<int>(colour & 0xFF), count);
    std::memset(m_green.get(), static_cast<int>((colour >> 8) & 0xFF), count);
    std::memset(m_blue.get(), static_cast<int>((colour >> 16) & 0xFF), count);
    std::memset(m_alpha.get(), alpha, count);
    return true;
}

void Bitmap32::Empty() {
    m_red.reset();
    m_green.reset();
    m_blue.reset();
    m_alpha.reset();
    m_width = 0;
    m_height = 0;
}

void Bitmap32::Exchange(Bitmap32& other) noexcept {
    std::swap(m_red, other.m_red);
    std::swap(m_green, other.m_green);
    std::swap(m_blue, other.m_blue);
    std::swap(m_alpha, other.m_alpha);
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
}

bool Bitmap32::CopyFrom(const Bitmap32& other) {
    if (&other == this)
        return !IsEmpty();
    if (other.IsEmpty() || !Allocate(other.m_width, other.m_height)) {
        Empty();
        return false;
    }
    const std::size_t count = PixelCount();
    std::memcpy(m_red.get(), other.m_red.get(), count);
    std::memcpy(m_green.get(), other.m_green.get(), count);
    std::memcpy(m_blue.get(), other.m_blue.get(), count);
    std::memcpy(m_alpha.get(), other.m_alpha.get(), count);
    return true;
}

Bitmap32 Bitmap32::Halve() const {
    Bitmap32 result;
    if (IsEmpty() || !result.Allocate(m_width / 2, m_height / 2))
        return result;
    const int w = result.m_width;
    const int h = result.m_height;
    const std::uint8_t* source[4] = {m_red.get(), m_green.get(), m_blue.get(), m_alpha.get()};
    std::uint8_t* target[4] = {result.m_red.get(), result.m_green.get(), result.m_blue.get(),
                               result.m_alpha.get()};
    for (int plane = 0; plane < 4; ++plane) {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* top = source[plane] + static_cast<std::size_t>(2 * y) * m_width;
            const std::uint8_t* bottom = top + m_width;
            std::uint8_t* out = target[plane] + static_cast<std::size_t>(y) * w;
            for (int x = 0; x < w; ++x) {
                unsigned sum = top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1];
                out[x] = static_cast<std::uint8_t>(sum >> 2);
            }
        }
    }
    return result;
}

} // namespace norvane
