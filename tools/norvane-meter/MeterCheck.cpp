// Walks a meter file with the launcher's own parser, remembering the line of
// every section and key, and holds each against what the meter loader reads.
#include "MeterCheck.h"

#include "FileLayer.h"
#include "MeterDefinition.h"
#include "PlatformServices.h"
#include "SettingsParser.h"
#include "TextCodec.h"
#include "TgaDecoder.h"

#include <algorithm>
#include <map>
#include <set>

namespace norvane::meter {

namespace {

constexpr int kSizes[] = {16, 32, 64};

struct Entry {
    std::wstring section;
    std::wstring key;
    std::wstring value; // trimmed
    std::size_t offset;
};

struct Header {
    std::wstring name;
    std::size_t offset;
};

class Collector final : public SettingsParseSink {
public:
    std::vector<Header> headers;
    std::vector<Entry> entries;
    std::vector<std::pair<std::size_t, std::wstring>> notes;

    void OnSection(std::wstring_view name, std::size_t offset) override {
        headers.push_back({std::wstring(name), offset});
        m_section = name;
    }
    void OnEntry(std::wstring_view key, std::wstring_view value, std::size_t keyOffset,
                 std::size_t) override {
        entries.push_back(
            {std::wstring(m_section), std::wstring(key), std::wstring(TrimSettingsText(value)), keyOffset});
    }
    void OnIgnoredPrologue(std::size_t offset) override {
        notes.emplace_back(offset, L"text before the first section is ignored");
    }
    void OnSkipped(std::size_t offset) override {
        if (m_lastSkipped == kNone || m_lastSkipped + 1 != offset) {
            notes.emplace_back(offset, L"characters here are skipped: keys start with a letter or a digit");
        }
        m_lastSkipped = offset;
    }
    void OnValueCut(std::size_t offset) override {
        notes.emplace_back(offset, L"the value ends at ';': the rest of the line is read as a comment");
    }
    void OnDroppedAtEnd(std::wstring_view key, std::size_t offset) override {
        notes.emplace_back(offset, L"'" + std::wstring(key) +
                                       L"' at the end of the file has no value and is dropped");
    }
    void OnUnclosedSection(std::size_t offset) override {
        notes.emplace_back(offset, L"section header without ']': the rest of the file is ignored");
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::wstring_view m_section;
    std::size_t m_lastSkipped = kNone;
};

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return LowerCase(a) == LowerCase(b);
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && EqualsNoCase(text.substr(text.size() - end.size()), end);
}

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

// The parts of a file as the loader sees them.
struct Parsed {
    std::map<std::wstring, std::map<std::wstring, const Entry*>> values; // last value of each key
    std::map<std::wstring, std::size_t> sectionOffsets;                  // first header
};

class Checker {
public:
    Checker(const Parsed& parsed, const std::wstring& folder, PictureProbe& probe)
        : m_parsed(parsed), m_folder(folder), m_probe(probe) {}

    std::vector<std::pair<std::size_t, std::wstring>> found;

    const Entry* Find(const std::wstring& section, const std::wstring& key) const {
        auto s = m_parsed.values.find(section);
        if (s == m_parsed.values.end()) {
            return nullptr;
        }
        auto k = s->second.find(key);
        return k == s->second.end() ? nullptr : k->second;
    }
    bool HasSection(const std::wstring& name) const { return m_parsed.sectionOffsets.count(name) != 0; }
    std::size_t SectionOffset(const std::wstring& name) const {
        auto found = m_parsed.sectionOffsets.find(name);
        return found == m_parsed.sectionOffsets.end() ? 0 : found->second;
    }
    void Note(const Entry& entry, const std::wstring& message) { found.emplace_back(entry.offset, message); }

    void Run() {
        CheckGeneral();
        for (int size : kSizes) {
            CheckSize(size);
        }
        for (unsigned kind : statuskind::kOrder) {
            CheckColours(kind);
            for (int size : kSizes) {
                CheckText(kind, size);
            }
        }
    }

private:
    void CheckGeneral() {
        if (HasSection(meterfile::kGeneral)) {
            static const std::set<std::wstring> known = {L"dir", L"type"};
            CheckKeys(meterfile::kGeneral, known);
        }
        if (const Entry* type = Find(meterfile::kGeneral, meterfile::kType)) {
            if (EqualsNoCase(type->value, L"reveal")) {
                m_type = MeterDrawingType::Reveal;
            } else if (EqualsNoCase(type->value, L"pie")) {
                m_type = MeterDrawingType::Pie;
            } else {
                Note(*type, L"type " + Quoted(type->value) +
                                L" is neither reveal nor pie: the meter is drawn as a colour fill");
            }
        }
        if (const Entry* dir = Find(meterfile::kGeneral, meterfile::kDirection)) {
            m_horizontal = EqualsNoCase(dir->value, L"horizontal");
            if (!m_horizontal && !EqualsNoCase(dir->value, L"vertical")) {
                Note(*dir, L"dir " + Quoted(dir->value) + L" is not horizontal: the meter is vertical");
            }
        }
    }

    // A picture key of a size section: its file as the loader would read it.
    std::optional<PictureInfo> CheckPicture(const Entry& entry, bool mask, int size) {
        const std::wstring path = m_folder + entry.value;
        if (entry.value.empty()) {
            Note(entry, entry.key + L" names no file: nothing is drawn");
            return std::nullopt;
        }
        if (!mask && !EndsWithNoCase(entry.value, L".tga") && !EndsWithNoCase(entry.value, L".png")) {
            Note(entry, Quoted(entry.value) + L" is neither .tga nor .png: the launcher cannot load it");
            return std::nullopt;
        }
        std::optional<PictureInfo> info = mask ? m_probe.Mask(path) : m_probe.Picture(path);
        if (!info) {
            Note(entry, Quoted(entry.value) +
                            (mask ? L" cannot be read as a BMP bitmap: the colour fill draws nothing"
                                  : L" is missing or cannot be read: nothing is drawn"));
            return std::nullopt;
        }
        if (info->width > size || info->height > size) {
            Note(entry, Quoted(entry.value) + L" is " + std::to_wstring(info->width) + L"x" +
                            std::to_wstring(info->height) + L", larger than the " + std::to_wstring(size) +
                            L"x" + std::to_wstring(size) + L" meter: only its top-left part is drawn");
        }
        return info;
    }

    void CheckSize(int size) {
        const std::wstring section = std::to_wstring(size);
        if (!HasSection(section)) {
            return;
        }
        const Entry* meter = Find(section, meterfile::kMeter);
        if (!meter) {
            found.emplace_back(SectionOffset(section), L"[" + section +
                                                           L"] has no meter picture: the shortcut shows "
                                                           L"no picture at this size");
        } else {
            CheckPicture(*meter, false, size);
        }
        unsigned kinds = 0;
        for (unsigned kind : statuskind::kOrder) {
            const Entry* element = Find(section, std::wstring(StatusKindWord(kind)));
            if (!element) {
                continue;
            }
            kinds |= kind;
            m_kindsAnywhere |= kind;
            m_kindsAt[size] |= kind;
            const bool fill = m_type == MeterDrawingType::ColourFill;
            std::optional<PictureInfo> info = CheckPicture(*element, fill, size);
            if (info && !info->anyVisible) {
                Note(*element, fill ? Quoted(element->value) + L" is all black: no pixel takes the colour"
                                    : Quoted(element->value) + L" has no visible pixel");
            }
            if (m_type == MeterDrawingType::Pie && !Find(section, meterfile::kPieCentre)) {
                Note(*element,
                     L"no piecenter in [" + section + L"]: the pie turns around the top-left corner");
            }
        }
        if (const Entry* centre = Find(section, meterfile::kPieCentre)) {
            int xy[2] = {};
            if (m_type != MeterDrawingType::Pie) {
                Note(*centre, L"piecenter is ignored: the meter is no pie");
            } else if (ParseMeterNumbers(centre->value, xy, 2) < 2) {
                Note(*centre, L"piecenter needs two numbers x,y: the centre is 0,0");
            } else if (xy[0] < 0 || xy[1] < 0 || xy[0] > size || xy[1] > size) {
                Note(*centre, L"piecenter lies outside the " + std::to_wstring(size) + L"x" +
                                  std::to_wstring(size) + L" meter: the sector is cut off");
            }
        }
        for (unsigned kind : {statuskind::kBattery, statuskind::kBackupBattery}) {
            const Entry* charging =
                Find(section, std::wstring(StatusKindWord(kind)) + meterfile::kChargingSuffix);
            if (!charging) {
                continue;
            }
            if (!(kinds & kind)) {
                Note(*charging, charging->key + L" is ignored: [" + section + L"] has no " +
                                    std::wstring(StatusKindWord(kind)) + L" element");
            } else {
                CheckPicture(*charging, false, size);
            }
        }
        static const std::set<std::wstring> known = {
            L"meter",        L"memory",    L"battery",          L"backup-battery",         L"storage-main",
            L"storage-card", L"piecenter", L"battery-charging", L"backup-battery-charging"};
        CheckKeys(section, known);
    }

    void CheckColours(unsigned kind) {
        const std::wstring section = meterfile::kColoursPrefix + std::wstring(StatusKindWord(kind));
        if (!HasSection(section)) {
            return;
        }
        if (m_type != MeterDrawingType::ColourFill) {
            found.emplace_back(SectionOffset(section),
                               L"[" + section + L"] is ignored: only colour-fill meters use colour steps");
            return;
        }
        if (!(m_kindsAnywhere & kind)) {
            found.emplace_back(SectionOffset(section), L"[" + section + L"] is never used: no size has a " +
                                                           std::wstring(StatusKindWord(kind)) + L" element");
        }
        int highest = -2147483647 - 1;
        int highestStep = 0;
        int n = 1;
        for (;; ++n) {
            const Entry* step = Find(section, meterfile::kColourKey + std::to_wstring(n));
            if (!step) {
                break;
            }
            int parts[4] = {};
            const int count = ParseMeterNumbers(step->value, parts, 4);
            if (count != 4) {
                Note(*step,
                     step->key + L" needs four numbers threshold,r,g,b: it reads as 100,0,0,255 (blue)");
                parts[0] = 100;
            } else if (std::any_of(parts + 1, parts + 4, [](int v) { return v < 0 || v > 255; })) {
                Note(*step, step->key + L" has a colour part outside 0-255: it is clamped");
            }
            if (n > 1 && parts[0] <= highest) {
                Note(*step, step->key + L" is never used: color" + std::to_wstring(highestStep) +
                                L" already covers values up to " + std::to_wstring(highest));
            }
            if (parts[0] > highest) {
                highest = parts[0];
                highestStep = n;
            }
        }
        if (n == 1) {
            found.emplace_back(SectionOffset(section),
                               L"[" + section + L"] has no color1: every value is blue");
        } else if (highest < 100) {
            const Entry* last = Find(section, meterfile::kColourKey + std::to_wstring(highestStep));
            Note(*last, L"values above " + std::to_wstring(highest) + L" are drawn blue");
        }
        // Keys past a gap, and anything else.
        for (const auto& [key, entry] : m_parsed.values.at(section)) {
            const bool numbered = key.starts_with(meterfile::kColourKey) && key.size() > 5 &&
                                  key.find_first_not_of(L"0123456789", 5) == std::wstring::npos &&
                                  key[5] != L'0';
            if (numbered) {
                const long long number = std::stoll(key.substr(5, 9));
                if (number >= n) {
                    Note(*entry, key + L" is never read: color" + std::to_wstring(n) + L" is missing");
                }
            } else {
                Note(*entry, UnknownKey(key, {}));
            }
        }
    }

    void CheckText(unsigned kind, int size) {
        const std::wstring section = MeterTextSectionName(kind, size);
        if (!HasSection(section)) {
            return;
        }
        if (!(m_kindsAt[size] & kind)) {
            found.emplace_back(SectionOffset(section), L"[" + section + L"] is never used: [" +
                                                           std::to_wstring(size) + L"] has no " +
                                                           std::wstring(StatusKindWord(kind)) + L" element");
        }
        static const std::set<std::wstring> known = {L"rect",  L"color", L"shadow", L"shadow-color",
                                                     L"align", L"size",  L"bold"};
        CheckKeys(section, known);
        const Entry* rect = Find(section, meterfile::kRect);
        int r[4] = {};
        if (!rect) {
            found.emplace_back(SectionOffset(section), L"[" + section + L"] has no rect: no text is drawn");
            return;
        }
        if (ParseMeterNumbers(rect->value, r, 4) != 4) {
            Note(*rect, L"rect needs four numbers left,top,right,bottom: no text is drawn and the rest of [" +
                            section + L"] is ignored");
            return;
        }
        if (r[2] <= r[0] || r[3] <= r[1]) {
            Note(*rect, L"rect is empty: no text is drawn");
        } else if (r[0] < 0 || r[1] < 0 || r[2] > size || r[3] > size) {
            Note(*rect, L"rect reaches outside the " + std::to_wstring(size) + L"x" + std::to_wstring(size) +
                            L" meter: the text is cut at its edge");
        }
        int rgb[3] = {};
        if (const Entry* colour = Find(section, meterfile::kTextColour)) {
            if (!EqualsNoCase(colour->value, L"default") && ParseMeterNumbers(colour->value, rgb, 3) != 3) {
                Note(*colour, L"color needs three numbers r,g,b or default: the text is white");
            }
        }
        if (const Entry* shadow = Find(section, meterfile::kShadow)) {
            if (!EqualsNoCase(shadow->value, L"shadow") && !EqualsNoCase(shadow->value, L"glow") &&
                !EqualsNoCase(shadow->value, L"none") && !shadow->value.empty()) {
                Note(*shadow,
                     L"shadow " + Quoted(shadow->value) + L" is neither shadow nor glow: no shadow is drawn");
            }
        }
        if (const Entry* shadowColour = Find(section, meterfile::kShadowColour)) {
            if (!shadowColour->value.empty() && !EqualsNoCase(shadowColour->value, L"default") &&
                ParseMeterNumbers(shadowColour->value, rgb, 3) != 3) {
                Note(*shadowColour, L"shadow-color needs three numbers r,g,b: the shadow is white or black "
                                    L"by the text colour");
            }
        }
        if (const Entry* align = Find(section, meterfile::kAlign)) {
            if (!EqualsNoCase(align->value, L"left") && !EqualsNoCase(align->value, L"right") &&
                !EqualsNoCase(align->value, L"center") && !EqualsNoCase(align->value, L"centre")) {
                Note(*align,
                     L"align " + Quoted(align->value) + L" is neither left nor right: the text is centred");
            }
        }
        if (const Entry* fontSize = Find(section, meterfile::kFontSize)) {
            const int value = SettingsTextToInt(fontSize->value);
            if (value == 0) {
                Note(*fontSize, L"size " + Quoted(fontSize->value) + L" is no size: the font size is 4");
            } else if (value > meterfile::kMaxFontSize || value < -meterfile::kMaxFontSize) {
                Note(*fontSize,
                     L"size is out of reach: it is taken as " + std::to_wstring(meterfile::kMaxFontSize));
            } else if (value < 0) {
                Note(*fontSize, L"size is negative: the font is measured by its cell, not its letters");
            }
        }
        if (const Entry* bold = Find(section, meterfile::kBold)) {
            if (!EqualsNoCase(bold->value, L"true") && !EqualsNoCase(bold->value, L"false")) {
                Note(*bold, L"bold " + Quoted(bold->value) + L" is not true: the font is not bold");
            }
        }
    }

    std::wstring UnknownKey(const std::wstring& key, const std::set<std::wstring>& known) const {
        const std::wstring lower = LowerCase(key);
        if (lower != key && known.count(lower)) {
            return L"'" + key + L"' is ignored: keys are lower case ('" + lower + L"')";
        }
        return L"'" + key + L"' is not a key of this section and is ignored";
    }

    void CheckKeys(const std::wstring& section, const std::set<std::wstring>& known) {
        for (const auto& [key, entry] : m_parsed.values.at(section)) {
            if (!known.count(key)) {
                Note(*entry, UnknownKey(key, known));
            }
        }
    }

    const Parsed& m_parsed;
    const std::wstring& m_folder;
    PictureProbe& m_probe;
    MeterDrawingType m_type = MeterDrawingType::ColourFill;
    bool m_horizontal = false;
    unsigned m_kindsAnywhere = 0;
    std::map<int, unsigned> m_kindsAt;
};

bool KnownSection(const std::wstring& name) {
    if (name == meterfile::kGeneral) {
        return true;
    }
    for (int size : kSizes) {
        if (name == std::to_wstring(size)) {
            return true;
        }
    }
    for (unsigned kind : statuskind::kOrder) {
        if (name == meterfile::kColoursPrefix + std::wstring(StatusKindWord(kind))) {
            return true;
        }
        for (int size : kSizes) {
            if (name == MeterTextSectionName(kind, size)) {
                return true;
            }
        }
    }
    return false;
}

std::wstring UnknownSection(const std::wstring& name) {
    const std::wstring lower = LowerCase(name);
    if (lower != name && KnownSection(lower)) {
        return L"section [" + name + L"] is not read: names are lower case ([" + lower + L"])";
    }
    if (!name.empty() && name.find_first_not_of(L"0123456789") == std::wstring::npos) {
        return L"section [" + name + L"] is never used: meters are drawn at 16, 32 and 64 pixels";
    }
    if (name.ends_with(meterfile::kTextSuffix)) {
        return L"section [" + name +
               L"] is never used: text sections are named kind-size-text for sizes 16, 32 "
               L"and 64 (battery-32-text)";
    }
    return L"section [" + name + L"] is not part of a meter definition and is ignored";
}

std::uint32_t ReadLe32(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8) |
           (static_cast<std::uint8_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24);
}

std::uint32_t ReadBe32(const std::string& b, std::size_t at) {
    return (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at])) << 24) |
           (static_cast<std::uint8_t>(b[at + 1]) << 16) | (static_cast<std::uint8_t>(b[at + 2]) << 8) |
           static_cast<std::uint8_t>(b[at + 3]);
}

} // namespace

std::optional<PictureInfo> FilePictureProbe::Picture(const std::wstring& path) {
    std::string bytes;
    if (!DefaultFileLayer().ReadAll(path, bytes)) {
        return std::nullopt;
    }
    if (EndsWithNoCase(path, L".tga")) {
        Bitmap32 image;
        if (!DecodeTga(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image)) {
            return std::nullopt;
        }
        PictureInfo info{image.Width(), image.Height(), false};
        info.anyVisible =
            std::any_of(image.Alpha(), image.Alpha() + image.PixelCount(), [](auto a) { return a != 0; });
        return info;
    }
    // PNG: the signature and the size in the header chunk.
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || bytes.compare(0, 8, kSignature, 8) != 0 || bytes.compare(12, 4, "IHDR") != 0) {
        return std::nullopt;
    }
    const std::uint32_t width = ReadBe32(bytes, 16);
    const std::uint32_t height = ReadBe32(bytes, 20);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
        return std::nullopt;
    }
    return PictureInfo{static_cast<int>(width), static_cast<int>(height), true};
}

std::optional<PictureInfo> FilePictureProbe::Mask(const std::wstring& path) {
    std::string bytes;
    if (!DefaultFileLayer().ReadAll(path, bytes) || bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) {
        return std::nullopt;
    }
    const std::uint32_t offset = ReadLe32(bytes, 10);
    const std::int32_t width = static_cast<std::int32_t>(ReadLe32(bytes, 18));
    const std::int32_t rawHeight = static_cast<std::int32_t>(ReadLe32(bytes, 22));
    const int bits = static_cast<std::uint8_t>(bytes[28]) | (static_cast<std::uint8_t>(bytes[29]) << 8);
    const std::uint32_t compression = ReadLe32(bytes, 30);
    if (width <= 0 || rawHeight == 0 || rawHeight == static_cast<std::int32_t>(0x80000000u)) {
        return std::nullopt;
    }
    const long long height = rawHeight < 0 ? -static_cast<long long>(rawHeight) : rawHeight;
    if (static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) >
        Bitmap32::kMaxPixels) {
        return std::nullopt;
    }
    PictureInfo info{width, static_cast<int>(height), true};
    if ((bits == 24 || bits == 32) && (compression == 0 || compression == 3)) {
        const std::size_t row =
            (static_cast<std::size_t>(width) * (bits / 8) + 3) & ~static_cast<std::size_t>(3);
        if (offset > bytes.size() || row * static_cast<std::size_t>(height) > bytes.size() - offset) {
            return std::nullopt;
        }
        info.anyVisible = false;
        for (long long y = 0; y < height && !info.anyVisible; ++y) {
            const char* p = bytes.data() + offset + row * static_cast<std::size_t>(y);
            for (int x = 0; x < width; ++x, p += bits / 8) {
                if (p[0] || p[1] || p[2]) {
                    info.anyVisible = true;
                    break;
                }
            }
        }
    }
    return info;
}

std::vector<Finding> CheckMeterBytes(std::string_view bytes, const std::wstring& folder, PictureProbe& probe,
                                     std::wstring (*decodeAnsi)(std::string_view)) {
    std::vector<std::pair<std::size_t, std::wstring>> found;
    std::wstring text;
    const bool marked = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                        static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (marked) {
        text.resize((bytes.size() + 1) / 2);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned low = static_cast<unsigned char>(bytes[2 * i]);
            const unsigned high = 2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0;
            text[i] = static_cast<wchar_t>(low | (high << 8));
        }
    } else {
        text = decodeAnsi(bytes.substr(0, std::min(bytes.size(), bytes.find('\0'))));
    }
    if (const std::size_t zero = text.find(L'\0'); zero != std::wstring::npos) {
        found.emplace_back(zero, L"a zero character ends the text here: the rest of the file is ignored");
        text.resize(zero);
    }

    Collector collector;
    ParseSettingsText(text, collector);
    for (auto& note : collector.notes) {
        found.push_back(std::move(note));
    }

    Parsed parsed;
    for (const Header& header : collector.headers) {
        auto [it, inserted] = parsed.sectionOffsets.emplace(header.name, header.offset);
        parsed.values[header.name];
        if (!inserted) {
            found.emplace_back(header.offset,
                               L"section [" + header.name + L"] appears again: its keys join the first one");
        } else if (!KnownSection(header.name)) {
            found.emplace_back(header.offset, UnknownSection(header.name));
        }
    }
    for (const Entry& entry : collector.entries) {
        auto& keys = parsed.values[entry.section];
        auto [it, inserted] = keys.emplace(entry.key, &entry);
        if (!inserted) {
            found.emplace_back(entry.offset, L"'" + entry.key + L"' appears again in [" + entry.section +
                                                 L"]: the later value is used");
            it->second = &entry;
        }
    }
    if (std::none_of(std::begin(kSizes), std::end(kSizes),
                     [&](int size) { return parsed.sectionOffsets.count(std::to_wstring(size)) != 0; })) {
        found.emplace_back(0, L"no section [16], [32] or [64]: the meter shows nothing at any size");
    }

    Checker checker(parsed, folder, probe);
    checker.Run();
    for (auto& note : checker.found) {
        found.push_back(std::move(note));
    }

    // Offsets to line numbers.
    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' || (text[i] == L'\r' && (i + 1 >= text.size() || text[i + 1] != L'\n'))) {
            lineStarts.push_back(i + 1);
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Finding> findings;
    for (auto& [offset, message] : found) {
        const auto line = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) - lineStarts.begin();
        findings.push_back({static_cast<int>(line), std::move(message)});
    }
    return findings;
}

} // namespace norvane::meter
