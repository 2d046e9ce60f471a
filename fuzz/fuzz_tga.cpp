// libFuzzer target: the TGA decoder on arbitrary bytes. A successful decode must
// yield a consistent image; a failed one an empty image.
#include "Bitmap32.h"
#include "TgaDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    norvane::Bitmap32 image;
    norvane::TgaError error = norvane::TgaError::None;
    bool ok = norvane::DecodeTga(data, size, image, &error);
    if (ok) {
        if (image.IsEmpty() || image.Width() <= 0 || image.Height() <= 0 || error != norvane::TgaError::None)
            std::abort();
        // Touch the last pixel of every plane, and halve, to catch short planes.
        std::size_t last = image.PixelCount() - 1;
        volatile unsigned sum =
            image.Red()[last] + image.Green()[last] + image.Blue()[last] + image.Alpha()[last];
        (void)sum;
        norvane::Bitmap32 half = image.Halve();
        (void)half;
    } else if (!image.IsEmpty() || error == norvane::TgaError::None) {
        std::abort();
    }
    return 0;
}
