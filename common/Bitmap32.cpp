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
    red_ = NewPlane(count);
    green_ = NewPlane(count);
    blue_ = NewPlane(count);
    alpha_ = NewPlane(count);
    if (!red_ || !green_ || !blue_ || !alpha_) {
        Empty();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

bool Bitmap32::CreateFilled(int width, int height, std::uint32_t colour, std::uint8_t alpha) {
    if (!Allocate(width, height))
        return false;
    std::size_t count = PixelCount();
    std::memset(red_.get(), static_cast<int>(colour & 0xFF), count);
    std::memset(green_.get(), static_cast<int>((colour >> 8) & 0xFF), count);
    std::memset(blue_.get(), static_cast<int>((colour >> 16) & 0xFF), count);
    std::memset(alpha_.get(), alpha, count);
    return true;
}

void Bitmap32::Empty() {
    red_.reset();
    green_.reset();
    blue_.reset();
    alpha_.reset();
    width_ = 0;
    height_ = 0;
}

void Bitmap32::Exchange(Bitmap32& other) noexcept {
    std::swap(red_, other.red_);
    std::swap(green_, other.green_);
    std::swap(blue_, other.blue_);
    std::swap(alpha_, other.alpha_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
}

Bitmap32 Bitmap32::Halve() const {
    Bitmap32 result;
    if (IsEmpty() || !result.Allocate(width_ / 2, height_ / 2))
        return result;
    const int w = result.width_;
    const int h = result.height_;
    const std::uint8_t* source[4] = {red_.get(), green_.get(), blue_.get(), alpha_.get()};
    std::uint8_t* target[4] = {result.red_.get(), result.green_.get(), result.blue_.get(),
                               result.alpha_.get()};
    for (int plane = 0; plane < 4; ++plane) {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* top = source[plane] + static_cast<std::size_t>(2 * y) * width_;
            const std::uint8_t* bottom = top + width_;
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
