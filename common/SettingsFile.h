// SettingsFile: the reader and writer of the INI-style text files that hold the
// launcher's configuration (Norvane.ini) and the meter definitions. The whole file
// lives in memory as ordered sections of ordered keys with text values; typed reads
// and writes convert integers, booleans, colours and points. Nothing here fails
// hard: a missing file, section or key reads as not found and the caller keeps its
// default.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

class FileLayer;

// A colour as the platform stores one: red in the low byte, then green, then blue.
using ColorValue = std::uint32_t;
inline constexpr ColorValue kAutomaticColor = 0xFFFFFF;

inline constexpr ColorValue MakeColor(int red, int green, int blue) {
    return (static_cast<ColorValue>(red) & 0xFF) | ((static_cast<ColorValue>(green) & 0xFF) << 8) |
           ((static_cast<ColorValue>(blue) & 0xFF) << 16);
}

struct SettingsPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const SettingsPoint&, const SettingsPoint&) = default;
};

// Conversions of stored text, as the typed reads apply them (after trimming).
int SettingsTextToInt(std::wstring_view text);
ColorValue SettingsTextToColor(std::wstring_view text);
SettingsPoint SettingsTextToPoint(std::wstring_view text);
std::wstring IntToSettingsText(int value);
std::wstring ColorToSettingsText(ColorValue color);
std::wstring PointToSettingsText(SettingsPoint point);

// One section: its keys in the order they were first created.
class SettingsSection {
public:
    std::size_t KeyCount() const { return m_order.size(); }
    const std::wstring& KeyAt(std::size_t i) const { return m_order[i]->first; }
    // The value as stored (not trimmed).
    const std::wstring& ValueAt(std::size_t i) const { return m_order[i]->second; }
    const std::wstring* Find(std::wstring_view key) const;

private:
    friend class SettingsFile;
    friend class SettingsFileStore;
    using Map = std::map<std::wstring, std::wstring, std::less<>>;
    void Set(std::wstring_view key, std::wstring_view value);

    Map m_values;
    std::vector<Map::iterator> m_order;
};

class SettingsFile {
public:
    using AnsiDecoder = std::function<std::wstring(std::string_view)>;

    SettingsFile();
    // Loads path at once.
    explicit SettingsFile(const std::wstring& path);
    // Saves first when there are unsaved changes and a path.
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Where files are read and written; the platform's by default. Not owned.
    void SetFileLayer(FileLayer& layer) { m_files = &layer; }
    // How 8-bit files without a byte-order mark are decoded; the platform's ANSI code
    // page by default.
    void SetAnsiDecoder(AnsiDecoder decoder) { m_decodeAnsi = std::move(decoder); }

    const std::wstring& Path() const { return m_path; }
    void SetPath(std::wstring path) { m_path = std::move(path); }
    bool IsDirty() const { return m_dirty; }

    // Reads the stored path (replaced first when one is given). False when the file
    // cannot be opened or read; the object is then empty. Clears the dirty flag.
    bool Load();
    bool Load(const std::wstring& path);
    // Parses the bytes of a file as Load would, leaving the path alone.
    void LoadFromBytes(std::string_view bytes);
    // Writes the file (path replaced first when one is given): UTF-16LE with a mark.
    // The new text goes beside the old file and replaces it only when every write
    // succeeded, so a failed save leaves the old file whole. False for an empty path
    // or any failure.
    bool Save();
    bool Save(const std::wstring& path);
    // The exact bytes Save writes.
    std::string ToBytes() const;

    void Clear();
    bool AddSection(std::wstring_view name);
    const SettingsSection* FindSection(std::wstring_view name) const;
    std::size_t SectionCount() const { return m_order.size(); }
    const std::wstring& SectionNameAt(std::size_t i) const { return m_order[i]->first; }
    const SettingsSection& SectionAt(std::size_t i) const { return m_order[i]->second; }
    // The stored value, untrimmed, or null.
    const std::wstring* FindValue(std::wstring_view section, std::wstring_view key) const;

    // Typed reads: false and out untouched when the section or key is missing.
    bool GetString(std::wstring_view section, std::wstring_view key, std::wstring& out) const;
    bool GetInt(std::wstring_view section, std::wstring_view key, int& out) const;
    bool GetBool(std::wstring_view section, std::wstring_view key, bool& out) const;
    bool GetColor(std::wstring_view section, std::wstring_view key, ColorValue& out) const;
    // Sets out to (0,0) first, so a missing point reads as (0,0).
    bool GetPoint(std::wstring_view section, std::wstring_view key, SettingsPoint& out) const;

    void SetString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    void SetInt(std::wstring_view section, std::wstring_view key, int value);
    void SetBool(std::wstring_view section, std::wstring_view key, bool value);
    void SetColor(std::wstring_view section, std::wstring_view key, ColorValue color);
    void SetPoint(std::wstring_view section, std::wstring_view key, SettingsPoint point);

private:
    friend class SettingsFileStore;
    using Map = std::map<std::wstring, SettingsSection, std::less<>>;
    SettingsSection& SectionFor(std::wstring_view name);
    void ParseBytes(std::string_view bytes);

    std::wstring m_path;
    Map m_sections;
    std::vector<Map::iterator> m_order;
    bool m_dirty = false;
    FileLayer* m_files;
    AnsiDecoder m_decodeAnsi;
};

} // namespace norvane
