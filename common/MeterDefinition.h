// Meter definition files: how a meter shortcut pictures one or more status
// values at one icon size. A definition is read from a file in the settings
// file's syntax; each status kind it draws has a MeterElement with its images,
// colour steps, extents, charging overlay and value text. The pictures come
// in through MeterImageSource, so this code stays portable: the Windows side
// loads TGA and PNG files and the shell's device bitmaps, tests give their own.
#pragma once

#include "Bitmap32.h"
#include "SettingsFile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

class ShortcutRecord;

// Status kind bits, shared by meters, status sources and refresh requests.
namespace statuskind {
inline constexpr unsigned kMemory = 1;
inline constexpr unsigned kBattery = 2;
inline constexpr unsigned kBackupBattery = 4;
inline constexpr unsigned kMainStorage = 8;
inline constexpr unsigned kStorageCard = 16;
inline constexpr unsigned kAll = 31;
inline constexpr unsigned kBatteries = kBattery | kBackupBattery;
// In bit order, as definitions are read and drawn.
inline constexpr unsigned kOrder[] = {kMemory, kBattery, kBackupBattery, kMainStorage, kStorageCard};
} // namespace statuskind

// The word a kind goes by in meter files ("memory", "battery",
// "backup-battery", "storage-main", "storage-card"); empty for anything else.
std::wstring_view StatusKindWord(unsigned kind);
// The kind a word names, compared without regard to case; 0 for none.
unsigned StatusKindFromWord(std::wstring_view word);

enum class MeterDrawingType { ColourFill, Reveal, Pie };
enum class MeterTextShadow { None, Shadow, Glow };
enum class MeterTextAlign { Centre, Left, Right };

struct MeterColourStep {
    int threshold = 100;
    ColorValue colour = 0;
};

// Blue: the colour of every value without a usable colour step.
inline constexpr ColorValue kMeterDefaultColour = MakeColor(0, 0, 255);
inline constexpr ColorValue kMeterWhite = MakeColor(255, 255, 255);
inline constexpr ColorValue kMeterBlack = MakeColor(0, 0, 0);

struct MeterRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

// The picture of a colour-fill element as the shell's bitmap loader gives it:
// which pixels are not black. The Windows side keeps the device bitmap beside.
class MeterMask {
public:
    virtual ~MeterMask() = default;
    // One byte per pixel, row 0 at the top; non-zero where the pixel is not
    // black. False (and nothing kept) when the sizes do not fit the bytes.
    bool Assign(int width, int height, std::vector<std::uint8_t> lit);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsLit(int x, int y) const {
        return x >= 0 && y >= 0 && x < m_width && y < m_height &&
               m_lit[static_cast<std::size_t>(y) * m_width + x] != 0;
    }

private:
    std::vector<std::uint8_t> m_lit;
    int m_width = 0;
    int m_height = 0;
};

// The value text of an element: where and how it is written.
struct MeterText {
    MeterRect Rect; // relative to the meter's origin; empty: no text
    ColorValue Colour = kMeterWhite;
    ColorValue ShadowColour = kMeterBlack;
    MeterTextShadow Shadow = MeterTextShadow::None;
    MeterTextAlign Align = MeterTextAlign::Centre;
    int FontSize = 4;
    bool Bold = false;
};

// The drawing of one status kind.
struct MeterElement {
    unsigned Kind = 0;
    std::vector<MeterColourStep> ColourSteps; // colour fill only
    Bitmap32 Image;                           // reveal and pie
    std::unique_ptr<MeterMask> Mask;          // colour fill
    Bitmap32 ChargingImage;                   // loaded on first use
    bool ChargingImageTried = false;
    int ExtentFirst = -1;
    int ExtentLast = -1;
    int PieCentreX = 0;
    int PieCentreY = 0;
    std::wstring ChargingImagePath;
    std::wstring StoragePath; // storage cards only
    MeterText Text;
};

// What loading a definition needs from the platform.
class MeterImageSource {
public:
    virtual ~MeterImageSource() = default;
    // A TGA or PNG file as a Bitmap32.
    virtual bool LoadPicture(const std::wstring& path, Bitmap32& image) = 0;
    // A device bitmap through the shell's bitmap-file loader; null when it
    // cannot be loaded.
    virtual std::unique_ptr<MeterMask> LoadMask(const std::wstring& path) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // The storage-card folder the settings hold for a meter path, or empty.
    virtual std::wstring StoredStorageCardPath(const std::wstring& meterPath) = 0;
    // The folder name of the device's first storage card, or empty.
    virtual std::wstring FirstStorageCard() = 0;
    // The shell's theme colour 4 ("default" text colour), black without one.
    virtual ColorValue ThemeTextColour() = 0;
};

class MeterDefinition {
public:
    MeterDefinition() = default;
    MeterDefinition(const MeterDefinition&) = delete;
    MeterDefinition& operator=(const MeterDefinition&) = delete;

    // Reads the file at path for icon size N. Never fails: a missing file or
    // section gives a definition without elements. Every element's kind is
    // added to the process-wide kinds in use.
    void Load(const std::wstring& path, int size, ShortcutRecord* owner, MeterImageSource& source);
    // The same from a file already read (the checker, tests, the fuzzer).
    void Load(const SettingsFile& file, const std::wstring& path, int size, ShortcutRecord* owner,
              MeterImageSource& source);

    MeterElement* ElementFor(unsigned kind);
    const MeterElement* ElementFor(unsigned kind) const;
    // The charging overlay, loaded the first time it is asked for; null when
    // the element has none or it cannot be loaded.
    const Bitmap32* ChargingImage(MeterElement& element, MeterImageSource& source);

    MeterDrawingType Type = MeterDrawingType::ColourFill;
    bool Horizontal = false;
    std::map<unsigned, std::unique_ptr<MeterElement>> Elements;
    std::wstring Path;
    int Size = 0;
    std::wstring MeterImagePath;
    ShortcutRecord* Owner = nullptr;
    unsigned Kinds = 0;
};

// The process-wide set of kinds that loaded meters depend on: cleared when the
// settings path is first built, then only ever added to.
unsigned MeterKindsInUse();
void AddMeterKindsInUse(unsigned kinds);
void ResetMeterKindsInUse();

// The folder of a definition path, up to and including its last "\".
std::wstring MeterFolderOf(std::wstring_view path);

// Section N's "meter" image of the file at path: with no target, whether that
// file exists; with a target, whether it loads into it.
bool MeterImageProbe(const std::wstring& path, int size, Bitmap32* target, MeterImageSource& source);

// The colour of the first step whose threshold is at least the value; blue
// when none is.
ColorValue MeterColourFor(const MeterElement& element, int percent);

// The comma-separated integers of a value (blanks around them ignored): how
// many there are, or -1 when any field is not an integer. At most max are
// stored in out; numbers beyond the int range are saturated.
int ParseMeterNumbers(std::wstring_view text, int* out, int max);

// Reads a colour step value "threshold,r,g,b"; the step (100, blue) unless it
// holds exactly four numbers.
MeterColourStep ParseColourStep(std::wstring_view text);

// The names of the text keys, sections and words of the format, for the
// checker that reports on files.
namespace meterfile {
inline constexpr wchar_t kGeneral[] = L"general";
inline constexpr wchar_t kDirection[] = L"dir";
inline constexpr wchar_t kType[] = L"type";
inline constexpr wchar_t kMeter[] = L"meter";
inline constexpr wchar_t kPieCentre[] = L"piecenter";
inline constexpr wchar_t kChargingSuffix[] = L"-charging";
inline constexpr wchar_t kColoursPrefix[] = L"colors-";
inline constexpr wchar_t kColourKey[] = L"color";
inline constexpr wchar_t kTextSuffix[] = L"-text";
inline constexpr wchar_t kRect[] = L"rect";
inline constexpr wchar_t kTextColour[] = L"color";
inline constexpr wchar_t kShadow[] = L"shadow";
inline constexpr wchar_t kShadowColour[] = L"shadow-color";
inline constexpr wchar_t kAlign[] = L"align";
inline constexpr wchar_t kFontSize[] = L"size";
inline constexpr wchar_t kBold[] = L"bold";
// Font sizes beyond this are taken as this (a hostile file must not overflow
// the font arithmetic).
inline constexpr int kMaxFontSize = 200;
} // namespace meterfile

// Text section name of a kind at a size: "battery-32-text".
std::wstring MeterTextSectionName(unsigned kind, int size);

} // namespace norvane
