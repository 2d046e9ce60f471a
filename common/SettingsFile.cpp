// The settings file in memory and on disk.
#include "SettingsFile.h"

#include "FileLayer.h"
#include "PlatformServices.h"
#include "SettingsParser.h"

#include <climits>
#include <cstring>
#include <memory>

namespace norvane {

namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

void AppendUtf16Le(std::string& out, std::wstring_view text) {
    const std::size_t at = out.size();
    out.resize(at + text.size() * 2);
    char* p = out.data() + at;
    for (wchar_t c : text) {
        const unsigned u = static_cast<char16_t>(c);
        *p++ = static_cast<char>(u & 0xFF);
        *p++ = static_cast<char>(u >> 8);
    }
}

// Component walk shared by colours and points: digits accumulate, "," moves on,
// everything else is ignored. Unsigned arithmetic wraps instead of overflowing.
template <std::size_t N> void ReadComponents(std::wstring_view text, std::uint32_t (&parts)[N]) {
    std::size_t index = 0;
    for (wchar_t c : text) {
        if (c == L',') {
            if (++index == N) {
                return;
            }
        } else if (c >= L'0' && c <= L'9') {
            parts[index] = parts[index] * 10u + static_cast<std::uint32_t>(c - L'0');
        }
    }
}

} // namespace

int SettingsTextToInt(std::wstring_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

ColorValue SettingsTextToColor(std::wstring_view text) {
    std::uint32_t parts[3] = {0, 0, 0};
    ReadComponents(text, parts);
    return (parts[0] & 0xFF) | ((parts[1] & 0xFF) << 8) | ((parts[2] & 0xFF) << 16);
}

SettingsPoint SettingsTextToPoint(std::wstring_view text) {
    std::uint32_t parts[2] = {0, 0};
    ReadComponents(text, parts);
    return SettingsPoint{static_cast<int>(parts[0]), static_cast<int>(parts[1])};
}

std::wstring IntToSettingsText(int value) {
    // Hand-rolled: this runs for thousands of keys on every save.
    wchar_t buffer[16];
    wchar_t* end = buffer + 16;
    wchar_t* p = end;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--p = L'-';
    }
    return std::wstring(p, end);
}

std::wstring ColorToSettingsText(ColorValue color) {
    return IntToSettingsText(static_cast<int>(color & 0xFF)) + L"," +
           IntToSettingsText(static_cast<int>((color >> 8) & 0xFF)) + L"," +
           IntToSettingsText(static_cast<int>((color >> 16) & 0xFF));
}

std::wstring PointToSettingsText(SettingsPoint point) {
    return IntToSettingsText(point.x) + L"," + IntToSettingsText(point.y);
}

const std::wstring* SettingsSection::Find(std::wstring_view key) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? nullptr : &it->second;
}

void SettingsSection::Set(std::wstring_view key, std::wstring_view value) {
    auto it = m_values.lower_bound(key);
    if (it != m_values.end() && it->first == key) {
        it->second.assign(value);
        return;
    }
    it = m_values.emplace_hint(it, std::wstring(key), std::wstring(value));
    m_order.push_back(it);
}

// Receives the parser's entries and stores them as Set string would.
class SettingsFileStore final : public SettingsParseSink {
public:
    explicit SettingsFileStore(SettingsFile& file) : m_file(file) {}
    void OnSection(std::wstring_view name, std::size_t) override {
        m_name = name;
        m_current = nullptr;
    }
    void OnEntry(std::wstring_view key, std::wstring_view value, std::size_t, std::size_t) override {
        // The section comes into being with its first entry, as with Set string.
        if (!m_current) {
            m_current = &m_file.SectionFor(m_name);
        }
        m_current->Set(key, value);
    }

private:
    SettingsFile& m_file;
    std::wstring_view m_name;
    SettingsSection* m_current = nullptr;
};

SettingsFile::SettingsFile() : m_files(&DefaultFileLayer()), m_decodeAnsi(&DecodeAnsiText) {}

SettingsFile::SettingsFile(const std::wstring& path) : SettingsFile() {
    Load(path);
}

SettingsFile::~SettingsFile() {
    if (m_dirty && !m_path.empty()) {
        Save();
    }
}

bool SettingsFile::Load(const std::wstring& path) {
    m_path = path;
    return Load();
}

bool SettingsFile::Load() {
    Clear();
    std::string bytes;
    if (m_path.empty() || !m_files->ReadAll(m_path, bytes)) {
        return false;
    }
    ParseBytes(bytes);
    return true;
}

void SettingsFile::LoadFromBytes(std::string_view bytes) {
    Clear();
    ParseBytes(bytes);
}

void SettingsFile::ParseBytes(std::string_view bytes) {
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        // UTF-16LE; an odd last byte pairs with the zero that ends the buffer.
        const std::size_t units = (bytes.size() + 1) / 2;
        text.resize(units);
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t whole = bytes.size() / 2;
        for (std::size_t i = 0; i < whole; ++i) {
            text[i] = static_cast<wchar_t>(b[2 * i] | (b[2 * i + 1] << 8));
        }
        if (whole < units) {
            text[whole] = static_cast<wchar_t>(b[2 * whole]);
        }
    } else {
        const void* zero = std::memchr(bytes.data(), 0, bytes.size());
        if (zero) {
            bytes = bytes.substr(0, static_cast<const char*>(zero) - bytes.data());
        }
        text = m_decodeAnsi(bytes);
    }
    SettingsFileStore store(*this);
    ParseSettingsText(text, store);
    m_dirty = false;
}

bool SettingsFile::Save(const std::wstring& path) {
    m_path = path;
    return Save();
}

bool SettingsFile::Save() {
    if (m_path.empty()) {
        return false;
    }
    const std::wstring pending = PendingFileName(m_path);
    std::unique_ptr<FileWriter> writer = m_files->Create(pending);
    if (!writer) {
        return false;
    }
    m_dirty = false;
    // One write per header and per key line, as the format was always written.
    std::string line;
    bool ok = writer->Write("\xFF\xFE", 2);
    for (std::size_t s = 0; ok && s < m_order.size(); ++s) {
        line.clear();
        AppendUtf16Le(line, kLineEnd);
        AppendUtf16Le(line, L"[");
        AppendUtf16Le(line, m_order[s]->first);
        AppendUtf16Le(line, L"]");
        AppendUtf16Le(line, kLineEnd);
        ok = writer->Write(line.data(), line.size());
        const SettingsSection& section = m_order[s]->second;
        for (std::size_t k = 0; ok && k < section.KeyCount(); ++k) {
            line.clear();
            AppendUtf16Le(line, section.KeyAt(k));
            AppendUtf16Le(line, L"=");
            AppendUtf16Le(line, section.ValueAt(k));
            AppendUtf16Le(line, kLineEnd);
            ok = writer->Write(line.data(), line.size());
        }
    }
    ok = writer->Close() && ok;
    writer.reset();
    if (ok && m_files->MoveReplacing(pending, m_path)) {
        return true;
    }
    m_files->Remove(pending);
    return false;
}

std::string SettingsFile::ToBytes() const {
    std::string out = "\xFF\xFE";
    for (const auto& it : m_order) {
        AppendUtf16Le(out, kLineEnd);
        AppendUtf16Le(out, L"[");
        AppendUtf16Le(out, it->first);
        AppendUtf16Le(out, L"]");
        AppendUtf16Le(out, kLineEnd);
        const SettingsSection& section = it->second;
        for (std::size_t k = 0; k < section.KeyCount(); ++k) {
            AppendUtf16Le(out, section.KeyAt(k));
            AppendUtf16Le(out, L"=");
            AppendUtf16Le(out, section.ValueAt(k));
            AppendUtf16Le(out, kLineEnd);
        }
    }
    return out;
}

void SettingsFile::Clear() {
    m_order.clear();
    m_sections.clear();
    m_dirty = false;
}

SettingsSection& SettingsFile::SectionFor(std::wstring_view name) {
    auto it = m_sections.lower_bound(name);
    if (it == m_sections.end() || it->first != name) {
        it = m_sections.emplace_hint(it, std::wstring(name), SettingsSection());
        m_order.push_back(it);
    }
    return it->second;
}

bool SettingsFile::AddSection(std::wstring_view name) {
    const std::size_t before = m_order.size();
    SectionFor(name);
    m_dirty = true;
    return m_order.size() != before;
}

const SettingsSection* SettingsFile::FindSection(std::wstring_view name) const {
    auto it = m_sections.find(name);
    return it == m_sections.end() ? nullptr : &it->second;
}

const std::wstring* SettingsFile::FindValue(std::wstring_view section, std::wstring_view key) const {
    const SettingsSection* found = FindSection(section);
    return found ? found->Find(key) : nullptr;
}

bool SettingsFile::GetString(std::wstring_view section, std::wstring_view key, std::wstring& out) const {
    const std::wstring* value = FindValue(section, key);
    if (!value) {
        return false;
    }
    out.assign(TrimSettingsText(*value));
    return true;
}

bool SettingsFile::GetInt(std::wstring_view section, std::wstring_view key, int& out) const {
    const std::wstring* value = FindValue(section, key);
    if (!value) {
        return false;
    }
    out = SettingsTextToInt(TrimSettingsText(*value));
    return true;
}

bool SettingsFile::GetBool(std::wstring_view section, std::wstring_view key, bool& out) const {
    const std::wstring* value = FindValue(section, key);
    if (!value) {
        return false;
    }
    out = TrimSettingsText(*value) == L"1";
    return true;
}

bool SettingsFile::GetColor(std::wstring_view section, std::wstring_view key, ColorValue& out) const {
    const std::wstring* value = FindValue(section, key);
    if (!value) {
        return false;
    }
    out = SettingsTextToColor(TrimSettingsText(*value));
    return true;
}

bool SettingsFile::GetPoint(std::wstring_view section, std::wstring_view key, SettingsPoint& out) const {
    out = SettingsPoint{};
    const std::wstring* value = FindValue(section, key);
    if (!value) {
        return false;
    }
    out = SettingsTextToPoint(TrimSettingsText(*value));
    return true;
}

void SettingsFile::SetString(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    SectionFor(section).Set(key, value);
    m_dirty = true;
}

void SettingsFile::SetInt(std::wstring_view section, std::wstring_view key, int value) {
    SetString(section, key, IntToSettingsText(value));
}

void SettingsFile::SetBool(std::wstring_view section, std::wstring_view key, bool value) {
    SetString(section, key, value ? L"1" : L"0");
}

void SettingsFile::SetColor(std::wstring_view section, std::wstring_view key, ColorValue color) {
    SetString(section, key, ColorToSettingsText(color));
}

void SettingsFile::SetPoint(std::wstring_view section, std::wstring_view key, SettingsPoint point) {
    SetString(section, key, PointToSettingsText(point));
}

} // namespace norvane
