// TGA decoding: header checks, then the pixel stream, raw or run-length coded,
// into the four planes of a Bitmap32.
#include "TgaDecoder.h"

#include "ImageFile.h"

#include <vector>

namespace norvane {

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::uint8_t kTypeTrueColour = 2;
constexpr std::uint8_t kTypeRleTrueColour = 10;
constexpr std::uint8_t kDescriptorTopFirst = 0x10;
// A run-length file holds at most this many bytes per pixel (a one-pixel raw
// packet of 32 bits), plus the header and a generous identification field and
// footer. Anything longer is not a theme image.
constexpr std::size_t kMaxFileBytes = Bitmap32::kMaxPixels * 5 + 65536;

bool Fail(Bitmap32& image, TgaError* error, TgaError why) {
    image.Empty();
    if (error)
        *error = why;
    return false;
}

// Walks the pixel stream in file order and puts each pixel into the right row.
class PixelWriter {
public:
    PixelWriter(Bitmap32& image, bool topFirst)
        : m_image(image), m_width(static_cast<std::size_t>(image.Width())),
          m_rows(static_cast<std::size_t>(image.Height())), m_topFirst(topFirst) {
        StartRow();
    }

    bool Done() const { return m_fileRow == m_rows; }

    // Writes one pixel (blue, green, red, alpha) and advances; false when the
    // image is already full.
    bool Put(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
        if (Done())
            return false;
        m_image.Red()[m_index] = r;
        m_image.Green()[m_index] = g;
        m_image.Blue()[m_index] = b;
        m_image.Alpha()[m_index] = a;
        ++m_index;
        if (++m_column == m_width) {
            ++m_fileRow;
            StartRow();
        }
        return true;
    }

    std::size_t Remaining() const { return Done() ? 0 : (m_rows - m_fileRow) * m_width - m_column; }

private:
    void StartRow() {
        m_column = 0;
        if (Done())
            return;
        std::size_t row = m_topFirst ? m_fileRow : m_rows - 1 - m_fileRow;
        m_index = row * m_width;
    }

    Bitmap32& m_image;
    std::size_t m_width;
    std::size_t m_rows;
    bool m_topFirst;
    std::size_t m_fileRow = 0;
    std::size_t m_column = 0;
    std::size_t m_index = 0;
};

} // namespace

bool DecodeTga(const std::uint8_t* data, std::size_t size, Bitmap32& image, TgaError* error) {
    image.Empty();
    if (!data || size < kHeaderSize)
        return Fail(image, error, TgaError::TooShort);
    const std::uint8_t idLength = data[0];
    const std::uint8_t colourMapType = data[1];
    const std::uint8_t imageType = data[2];
    const int width = data[12] | (data[13] << 8);
    const int height = data[14] | (data[15] << 8);
    const std::uint8_t depth = data[16];
    const std::uint8_t descriptor = data[17];

    if (colourMapType != 0)
        return Fail(image, error, TgaError::ColourMapped);
    if (imageType != kTypeTrueColour && imageType != kTypeRleTrueColour)
        return Fail(image, error, TgaError::UnsupportedType);
    if (depth != 24 && depth != 32)
        return Fail(image, error, TgaError::UnsupportedDepth);
    if (width == 0 || height == 0)
        return Fail(image, error, TgaError::EmptySize);

    const std::size_t bytesPerPixel = depth / 8;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::size_t offset = kHeaderSize + idLength;
    if (offset > size)
        return Fail(image, error, TgaError::Truncated);
    const std::uint8_t* p = data + offset;
    const std::uint8_t* const end = data + size;
    const std::size_t available = static_cast<std::size_t>(end - p);

    // Refuse data that cannot possibly cover the image before allocating for
    // it: raw data needs every pixel, run-length data at least one header and
    // one pixel for each 128 pixels.
    if (imageType == kTypeTrueColour) {
        if (available / bytesPerPixel < pixels)
            return Fail(image, error, TgaError::Truncated);
    } else if (available / (1 + bytesPerPixel) < (pixels + 127) / 128) {
        return Fail(image, error, TgaError::Truncated);
    }
    if (pixels > Bitmap32::kMaxPixels || !image.Allocate(width, height))
        return Fail(image, error, TgaError::TooLarge);

    PixelWriter writer(image, (descriptor & kDescriptorTopFirst) != 0);
    auto readPixel = [&](std::uint8_t* out) {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        out[3] = bytesPerPixel == 4 ? p[3] : 255;
        p += bytesPerPixel;
    };

    std::uint8_t pixel[4];
    if (imageType == kTypeTrueColour) {
        while (!writer.Done()) {
            readPixel(pixel);
            writer.Put(pixel[0], pixel[1], pixel[2], pixel[3]);
        }
    } else {
        // Packets are meant to stop at the end of a row; one that runs on into
        // the next row is decoded as the stream says, and one that runs past
        // the last pixel is cut there.
        while (!writer.Done()) {
            if (p == end)
                return Fail(image, error, TgaError::Truncated);
            const std::uint8_t header = *p++;
            std::size_t count = (header & 0x7F) + 1u;
            if (count > writer.Remaining())
                count = writer.Remaining();
            if (header & 0x80) {
                if (static_cast<std::size_t>(end - p) < bytesPerPixel)
                    return Fail(image, error, TgaError::Truncated);
                readPixel(pixel);
                for (std::size_t i = 0; i < count; ++i)
                    writer.Put(pixel[0], pixel[1], pixel[2], pixel[3]);
            } else {
                if (static_cast<std::size_t>(end - p) / bytesPerPixel < count)
                    return Fail(image, error, TgaError::Truncated);
                for (std::size_t i = 0; i < count; ++i) {
                    readPixel(pixel);
                    writer.Put(pixel[0], pixel[1], pixel[2], pixel[3]);
                }
            }
        }
    }
    if (error)
        *error = TgaError::None;
    return true;
}

bool LoadTgaFile(const std::wstring& path, Bitmap32& image, TgaError* error) {
    image.Empty();
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, kMaxFileBytes))
        return Fail(image, error, TgaError::Unreadable);
    return DecodeTga(bytes.data(), bytes.size(), image, error);
}

const char* TgaErrorText(TgaError error) {
    switch (error) {
    case TgaError::None:
        return "no error";
    case TgaError::Unreadable:
        return "the file cannot be read";
    case TgaError::TooShort:
        return "the file is shorter than a TGA header";
    case TgaError::ColourMapped:
        return "colour-mapped TGA files are not supported";
    case TgaError::UnsupportedType:
        return "only true-colour TGA images (types 2 and 10) are supported";
    case TgaError::UnsupportedDepth:
        return "only 24- and 32-bit pixels are supported";
    case TgaError::EmptySize:
        return "the image has no pixels";
    case TgaError::TooLarge:
        return "the image is too large";
    case TgaError::Truncated:
        return "the pixel data is incomplete";
    }
    return "unknown error";
}

} // namespace norvane
