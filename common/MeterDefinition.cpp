// Reading meter definition files into MeterDefinition and MeterElement.
#include "MeterDefinition.h"

#include "SettingsParser.h"
#include "TextCodec.h"

#include <atomic>
#include <climits>

namespace norvane {

namespace {

std::atomic<unsigned> g_kindsInUse{0};

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerCaseUnit(a[i]) != LowerCaseUnit(b[i])) {
            return false;
        }
    }
    return true;
}

std::wstring_view Trimmed(const std::wstring* value) {
    return value ? TrimSettingsText(*value) : std::wstring_view();
}

// Three numbers as a colour; false unless there are exactly three.
bool ParseColour(std::wstring_view text, ColorValue& out) {
    int parts[3] = {};
    if (ParseMeterNumbers(text, parts, 3) != 3) {
        return false;
    }
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    out = MakeColor(clamp(parts[0]), clamp(parts[1]), clamp(parts[2]));
    return true;
}

// Rows (vertical) or columns (horizontal) that hold anything: the first and
// the last such line, 0 and the last line when there is none.
template <typename Lit>
void FindExtents(int width, int height, bool horizontal, Lit lit, int& first, int& last) {
    const int lines = horizontal ? width : height;
    const int across = horizontal ? height : width;
    first = -1;
    last = -1;
    for (int line = 0; line < lines; ++line) {
        for (int k = 0; k < across; ++k) {
            if (horizontal ? lit(line, k) : lit(k, line)) {
                if (first < 0) {
                    first = line;
                }
                last = line;
                break;
            }
        }
    }
    if (first < 0) {
        first = 0;
        last = lines - 1;
    }
}

void ReadColourSteps(const SettingsFile& file, unsigned kind, MeterElement& element) {
    const std::wstring section = meterfile::kColoursPrefix + std::wstring(StatusKindWord(kind));
    for (int n = 1; n < INT_MAX; ++n) {
        const std::wstring* value = file.FindValue(section, meterfile::kColourKey + std::to_wstring(n));
        if (!value) {
            break;
        }
        element.ColourSteps.push_back(ParseColourStep(TrimSettingsText(*value)));
    }
    if (element.ColourSteps.empty()) {
        element.ColourSteps.push_back(MeterColourStep{100, kMeterDefaultColour});
    }
}

void ReadText(const SettingsFile& file, unsigned kind, int size, MeterElement& element,
              MeterImageSource& source) {
    const std::wstring section = MeterTextSectionName(kind, size);
    if (!file.FindSection(section)) {
        return;
    }
    MeterText& text = element.Text;
    int rect[4] = {};
    if (ParseMeterNumbers(Trimmed(file.FindValue(section, meterfile::kRect)), rect, 4) != 4) {
        return;
    }
    text.Rect = MeterRect{rect[0], rect[1], rect[2], rect[3]};

    const std::wstring_view colour = Trimmed(file.FindValue(section, meterfile::kTextColour));
    if (EqualsNoCase(colour, L"default")) {
        text.Colour = source.ThemeTextColour();
    } else if (!ParseColour(colour, text.Colour)) {
        text.Colour = kMeterWhite;
    }

    const std::wstring_view shadow = Trimmed(file.FindValue(section, meterfile::kShadow));
    text.Shadow = EqualsNoCase(shadow, L"shadow") ? MeterTextShadow::Shadow
                  : EqualsNoCase(shadow, L"glow") ? MeterTextShadow::Glow
                                                  : MeterTextShadow::None;

    if (!ParseColour(Trimmed(file.FindValue(section, meterfile::kShadowColour)), text.ShadowColour)) {
        // Empty, "default" or malformed: the shadow that stands out against the text.
        const int sum = (text.Colour & 0xFF) + ((text.Colour >> 8) & 0xFF) + ((text.Colour >> 16) & 0xFF);
        text.ShadowColour = sum < 200 ? kMeterWhite : kMeterBlack;
    }

    const std::wstring_view align = Trimmed(file.FindValue(section, meterfile::kAlign));
    text.Align = EqualsNoCase(align, L"left")    ? MeterTextAlign::Left
                 : EqualsNoCase(align, L"right") ? MeterTextAlign::Right
                                                 : MeterTextAlign::Centre;

    int fontSize = 0;
    if (file.GetInt(section, meterfile::kFontSize, fontSize) && fontSize != 0) {
        if (fontSize > meterfile::kMaxFontSize) {
            fontSize = meterfile::kMaxFontSize;
        } else if (fontSize < -meterfile::kMaxFontSize) {
            fontSize = -meterfile::kMaxFontSize;
        }
        text.FontSize = fontSize;
    }
    text.Bold = EqualsNoCase(Trimmed(file.FindValue(section, meterfile::kBold)), L"true");
}

} // namespace

std::wstring_view StatusKindWord(unsigned kind) {
    switch (kind) {
    case statuskind::kMemory:
        return L"memory";
    case statuskind::kBattery:
        return L"battery";
    case statuskind::kBackupBattery:
        return L"backup-battery";
    case statuskind::kMainStorage:
        return L"storage-main";
    case statuskind::kStorageCard:
        return L"storage-card";
    default:
        return {};
    }
}

unsigned StatusKindFromWord(std::wstring_view word) {
    for (unsigned kind : statuskind::kOrder) {
        if (EqualsNoCase(word, StatusKindWord(kind))) {
            return kind;
        }
    }
    return 0;
}

bool MeterMask::Assign(int width, int height, std::vector<std::uint8_t> lit) {
    if (width <= 0 || height <= 0 ||
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) >
            Bitmap32::kMaxPixels ||
        lit.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        m_lit.clear();
        m_width = m_height = 0;
        return false;
    }
    m_lit = std::move(lit);
    m_width = width;
    m_height = height;
    return true;
}

unsigned MeterKindsInUse() {
    return g_kindsInUse.load();
}

void AddMeterKindsInUse(unsigned kinds) {
    g_kindsInUse.fetch_or(kinds & statuskind::kAll);
}

void ResetMeterKindsInUse() {
    g_kindsInUse.store(0);
}

std::wstring MeterFolderOf(std::wstring_view path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

std::wstring MeterTextSectionName(unsigned kind, int size) {
    return std::wstring(StatusKindWord(kind)) + L"-" + std::to_wstring(size) + meterfile::kTextSuffix;
}

int ParseMeterNumbers(std::wstring_view text, int* out, int max) {
    text = TrimSettingsText(text);
    if (text.empty()) {
        return 0;
    }
    int count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(L',', start);
        std::wstring_view field = TrimSettingsText(
            text.substr(start, comma == std::wstring_view::npos ? std::wstring_view::npos : comma - start));
        std::size_t i = 0;
        bool negative = false;
        if (i < field.size() && (field[i] == L'-' || field[i] == L'+')) {
            negative = field[i] == L'-';
            ++i;
        }
        if (i == field.size()) {
            return -1;
        }
        long long value = 0;
        for (; i < field.size(); ++i) {
            if (field[i] < L'0' || field[i] > L'9') {
                return -1;
            }
            value = value * 10 + (field[i] - L'0');
            if (value > static_cast<long long>(INT_MAX) + 1) {
                value = static_cast<long long>(INT_MAX) + 1;
            }
        }
        if (negative) {
            value = -value;
        }
        if (value > INT_MAX) {
            value = INT_MAX;
        }
        if (count < max) {
            out[count] = static_cast<int>(value);
        }
        ++count;
        if (comma == std::wstring_view::npos) {
            return count;
        }
        start = comma + 1;
    }
}

MeterColourStep ParseColourStep(std::wstring_view text) {
    int parts[4] = {};
    if (ParseMeterNumbers(text, parts, 4) != 4) {
        return MeterColourStep{100, kMeterDefaultColour};
    }
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    return MeterColourStep{parts[0], MakeColor(clamp(parts[1]), clamp(parts[2]), clamp(parts[3]))};
}

ColorValue MeterColourFor(const MeterElement& element, int percent) {
    for (const MeterColourStep& step : element.ColourSteps) {
        if (step.threshold >= percent) {
            return step.colour;
        }
    }
    return kMeterDefaultColour;
}

void MeterDefinition::Load(const std::wstring& path, int size, ShortcutRecord* owner,
                           MeterImageSource& source) {
    SettingsFile file(path);
    Load(file, path, size, owner, source);
}

void MeterDefinition::Load(const SettingsFile& file, const std::wstring& path, int size,
                           ShortcutRecord* owner, MeterImageSource& source) {
    Elements.clear();
    Kinds = 0;
    Path = path;
    Size = size;
    Owner = owner;
    const std::wstring folder = MeterFolderOf(path);

    Horizontal =
        EqualsNoCase(Trimmed(file.FindValue(meterfile::kGeneral, meterfile::kDirection)), L"horizontal");
    const std::wstring_view type = Trimmed(file.FindValue(meterfile::kGeneral, meterfile::kType));
    Type = EqualsNoCase(type, L"reveal") ? MeterDrawingType::Reveal
           : EqualsNoCase(type, L"pie")  ? MeterDrawingType::Pie
                                         : MeterDrawingType::ColourFill;

    const std::wstring section = std::to_wstring(size);
    MeterImagePath.clear();
    if (const std::wstring* meter = file.FindValue(section, meterfile::kMeter)) {
        MeterImagePath = folder + std::wstring(TrimSettingsText(*meter));
    }

    for (unsigned kind : statuskind::kOrder) {
        const std::wstring* imageName = file.FindValue(section, StatusKindWord(kind));
        if (!imageName) {
            continue;
        }
        auto element = std::make_unique<MeterElement>();
        element->Kind = kind;
        const std::wstring imagePath = folder + std::wstring(TrimSettingsText(*imageName));
        if (Type == MeterDrawingType::ColourFill) {
            element->Mask = source.LoadMask(imagePath);
            if (element->Mask && (element->Mask->Width() <= 0 || element->Mask->Height() <= 0)) {
                element->Mask.reset();
            }
            ReadColourSteps(file, kind, *element);
        } else if (!source.LoadPicture(imagePath, element->Image)) {
            element->Image.Empty();
        }

        if (Type == MeterDrawingType::Pie) {
            int centre[2] = {};
            if (ParseMeterNumbers(Trimmed(file.FindValue(section, meterfile::kPieCentre)), centre, 2) >= 2) {
                element->PieCentreX = centre[0];
                element->PieCentreY = centre[1];
            }
        } else if (element->Mask) {
            const MeterMask& mask = *element->Mask;
            FindExtents(
                mask.Width(), mask.Height(), Horizontal, [&](int x, int y) { return mask.IsLit(x, y); },
                element->ExtentFirst, element->ExtentLast);
        } else if (!element->Image.IsEmpty()) {
            const Bitmap32& image = element->Image;
            const int width = image.Width();
            FindExtents(
                width, image.Height(), Horizontal,
                [&](int x, int y) { return image.Alpha()[static_cast<std::size_t>(y) * width + x] != 0; },
                element->ExtentFirst, element->ExtentLast);
        }

        if (kind & statuskind::kBatteries) {
            const std::wstring key = std::wstring(StatusKindWord(kind)) + meterfile::kChargingSuffix;
            if (const std::wstring* charging = file.FindValue(section, key)) {
                element->ChargingImagePath = folder + std::wstring(TrimSettingsText(*charging));
            }
        }

        if (kind == statuskind::kStorageCard) {
            element->StoragePath = source.StoredStorageCardPath(path);
            if (element->StoragePath.empty()) {
                const std::wstring card = source.FirstStorageCard();
                if (!card.empty()) {
                    element->StoragePath = L"\\" + card;
                }
            }
        }

        ReadText(file, kind, size, *element, source);

        Kinds |= kind;
        AddMeterKindsInUse(kind);
        Elements[kind] = std::move(element);
    }
}

MeterElement* MeterDefinition::ElementFor(unsigned kind) {
    auto found = Elements.find(kind);
    return found == Elements.end() ? nullptr : found->second.get();
}

const MeterElement* MeterDefinition::ElementFor(unsigned kind) const {
    auto found = Elements.find(kind);
    return found == Elements.end() ? nullptr : found->second.get();
}

const Bitmap32* MeterDefinition::ChargingImage(MeterElement& element, MeterImageSource& source) {
    if (element.ChargingImagePath.empty()) {
        return nullptr;
    }
    if (!element.ChargingImageTried) {
        // Tried once: a missing overlay is not looked for at every paint.
        element.ChargingImageTried = true;
        if (!source.LoadPicture(element.ChargingImagePath, element.ChargingImage)) {
            element.ChargingImage.Empty();
        }
    }
    return element.ChargingImage.IsEmpty() ? nullptr : &element.ChargingImage;
}

bool MeterImageProbe(const std::wstring& path, int size, Bitmap32* target, MeterImageSource& source) {
    SettingsFile file(path);
    const std::wstring* meter = file.FindValue(std::to_wstring(size), meterfile::kMeter);
    if (!meter) {
        return false;
    }
    const std::wstring imagePath = MeterFolderOf(path) + std::wstring(TrimSettingsText(*meter));
    if (!target) {
        return source.FileExists(imagePath);
    }
    if (!source.LoadPicture(imagePath, *target)) {
        target->Empty();
        return false;
    }
    return true;
}

} // namespace norvane
