// Fuzzes meter definition loading from bytes: the file is read at the three
// icon sizes with pictures and masks whose sizes and contents follow from
// their file names, and every element is put through the drawing arithmetic
// at every value; norvane-meter's checker reads the same bytes. Beyond not
// crashing, what loading gives must hold together: extents inside their
// pictures, kinds matching elements, the kinds in use covering every element,
// spans inside the extents, and findings on lines the file has.
#include "MeterCheck.h"
#include "MeterDefinition.h"
#include "MeterGeometry.h"
#include "PlatformServices.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <cstdlib>
#include <string>

namespace {

using namespace norvane;

// A small number from a name, so that different names give different shapes.
unsigned Hash(const std::wstring& text) {
    unsigned h = 2166136261u;
    for (wchar_t c : text) {
        h = (h ^ static_cast<unsigned>(c)) * 16777619u;
    }
    return h;
}

class NameShapedSource : public MeterImageSource {
public:
    bool LoadPicture(const std::wstring& path, Bitmap32& image) override {
        const unsigned h = Hash(path);
        if (h % 7 == 0) {
            return false; // some pictures are missing
        }
        const int width = 1 + static_cast<int>(h % 80);
        const int height = 1 + static_cast<int>((h >> 8) % 80);
        if (!image.CreateFilled(width, height, h & 0xFFFFFF, 0)) {
            return false;
        }
        for (std::size_t i = 0; i < image.PixelCount(); ++i) {
            image.Alpha()[i] = ((h >> (i % 24)) & 3) == 0 ? 0 : static_cast<std::uint8_t>(h >> 16);
        }
        return true;
    }
    std::unique_ptr<MeterMask> LoadMask(const std::wstring& path) override {
        const unsigned h = Hash(path);
        if (h % 5 == 0) {
            return nullptr;
        }
        const int width = 1 + static_cast<int>(h % 70);
        const int height = 1 + static_cast<int>((h >> 9) % 70);
        std::vector<std::uint8_t> lit(static_cast<std::size_t>(width) * height);
        for (std::size_t i = 0; i < lit.size(); ++i) {
            lit[i] = ((h >> (i % 29)) & 1) != 0;
        }
        auto mask = std::make_unique<MeterMask>();
        mask->Assign(width, height, std::move(lit));
        return mask;
    }
    bool FileExists(const std::wstring& path) override { return Hash(path) % 3 != 0; }
    std::wstring StoredStorageCardPath(const std::wstring&) override { return {}; }
    std::wstring FirstStorageCard() override { return L"Storage Card"; }
    ColorValue ThemeTextColour() override { return 0; }
};

// The checker's pictures, shaped by their names like the loader's.
class NameShapedProbe : public meter::PictureProbe {
public:
    std::optional<meter::PictureInfo> Picture(const std::wstring& path) override { return Shape(path, 7); }
    std::optional<meter::PictureInfo> Mask(const std::wstring& path) override { return Shape(path, 5); }

private:
    static std::optional<meter::PictureInfo> Shape(const std::wstring& path, unsigned missing) {
        const unsigned h = Hash(path);
        if (h % missing == 0) {
            return std::nullopt;
        }
        return meter::PictureInfo{1 + static_cast<int>(h % 80), 1 + static_cast<int>((h >> 8) % 80),
                                  (h & 16) != 0};
    }
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckElement(const MeterDefinition& definition, const MeterElement& element) {
    Check(element.Kind == StatusKindFromWord(StatusKindWord(element.Kind)));
    int lines = -1;
    if (element.Mask) {
        lines = definition.Horizontal ? element.Mask->Width() : element.Mask->Height();
    } else if (!element.Image.IsEmpty()) {
        lines = definition.Horizontal ? element.Image.Width() : element.Image.Height();
    }
    if (definition.Type != MeterDrawingType::Pie && lines > 0) {
        Check(element.ExtentFirst >= 0 && element.ExtentFirst <= element.ExtentLast &&
              element.ExtentLast < lines);
    } else {
        Check(element.ExtentFirst == -1 && element.ExtentLast == -1);
    }
    for (int value = -1; value <= 101; ++value) {
        const MeterSpan reveal =
            RevealSpan(element.ExtentFirst, element.ExtentLast, value, definition.Horizontal);
        if (reveal.count > 0) {
            Check(reveal.first >= element.ExtentFirst &&
                  reveal.first + reveal.count - 1 <= element.ExtentLast);
        }
        const MeterSpan fill =
            ColourFillSpan(element.ExtentFirst, element.ExtentLast, value, definition.Horizontal);
        if (fill.count > 0) {
            Check(fill.first >= element.ExtentFirst && fill.first + fill.count - 2 <= element.ExtentLast);
        }
        (void)MeterColourFor(element, value);
    }
    for (int value : {1, 13, 50, 99, 100, 250}) {
        for (const MeterTriangle& t : PieTriangles(definition.Size, value)) {
            for (const MeterPoint& p : {t.a, t.b, t.c}) {
                Check(p.x >= 0 && p.y >= 0 && p.x <= 2 * definition.Size && p.y <= 2 * definition.Size);
            }
        }
    }
    int mx = 0;
    int my = 0;
    PieMaskPixel(definition.Size, element.PieCentreX, element.PieCentreY, 0, definition.Size - 1, mx, my);
    (void)MeterFontHeight(192, element.Text.FontSize, false, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SettingsFile file;
    file.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    NameShapedSource source;
    for (int iconSize : {16, 32, 64}) {
        ResetMeterKindsInUse();
        MeterDefinition definition;
        definition.Load(file, L"\\Windows\\meters\\fuzz\\meter.ini", iconSize, nullptr, source);
        unsigned kinds = 0;
        for (const auto& [kind, element] : definition.Elements) {
            Check(element && element->Kind == kind);
            kinds |= kind;
            CheckElement(definition, *element);
            (void)definition.ChargingImage(*element, source);
        }
        Check(kinds == definition.Kinds);
        Check((MeterKindsInUse() & kinds) == kinds);
    }
    NameShapedProbe probe;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    int previous = 1;
    for (const meter::Finding& finding : meter::CheckMeterBytes(bytes, L"\\m\\", probe, &DecodeAnsiText)) {
        // In line order, on lines the file has (a line end may be a lone CR).
        Check(finding.line >= previous && !finding.message.empty());
        Check(static_cast<std::size_t>(finding.line) <= std::max<std::size_t>(lines, size) + 1);
        previous = finding.line;
    }
    return 0;
}
