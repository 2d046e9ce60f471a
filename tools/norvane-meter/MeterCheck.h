// The checks of "norvane-meter check": everything in a meter definition file
// that the launcher would ignore, read differently from what its author meant,
// or draw as nothing, each with the line it is on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::meter {

struct Finding {
    int line = 0; // 1-based
    std::wstring message;
};

// What the checker learns of a picture file.
struct PictureInfo {
    int width = 0;
    int height = 0;
    // Some pixel carries alpha (TGA, PNG) or is not black (BMP masks).
    bool anyVisible = true;
};

class PictureProbe {
public:
    virtual ~PictureProbe() = default;
    // A TGA or PNG picture as the launcher decodes it; nothing when it cannot.
    virtual std::optional<PictureInfo> Picture(const std::wstring& path) = 0;
    // A BMP as the shell's bitmap loader reads it (colour-fill masks).
    virtual std::optional<PictureInfo> Mask(const std::wstring& path) = 0;
};

// Findings in line order. folder is where the file's pictures are looked for
// (the file's own folder, with its separator at the end).
std::vector<Finding> CheckMeterBytes(std::string_view bytes, const std::wstring& folder, PictureProbe& probe,
                                     std::wstring (*decodeAnsi)(std::string_view));

// Pictures read from files through the launcher's own decoders where they are
// portable: TGA fully, PNG and BMP headers (BMP pixels of 24 and 32 bits).
class FilePictureProbe : public PictureProbe {
public:
    std::optional<PictureInfo> Picture(const std::wstring& path) override;
    std::optional<PictureInfo> Mask(const std::wstring& path) override;
};

} // namespace norvane::meter
