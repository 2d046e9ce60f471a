// PropertyList: the special properties of a shortcut, an ordered map from key to
// value. The program reads and writes them with lower-cased keys; on disk they are
// one text, key "~#~" value "~#~" key "~#~" value ...
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace norvane {

class PropertyList {
public:
    using Map = std::map<std::wstring, std::wstring, std::less<>>;

    // The value under the lower-cased key, or empty.
    std::wstring Get(std::wstring_view key) const;
    // Stores value under the lower-cased key (an empty value is kept in memory but
    // not written).
    void Set(std::wstring_view key, std::wstring_view value);
    void Clear() { m_items.clear(); }
    bool Empty() const { return m_items.empty(); }
    const Map& Items() const { return m_items; }

    // Replaces the list with the pairs of text. Keys are kept as written.
    void Parse(std::wstring_view text);
    // The text form: pairs in key order, pairs with empty values left out.
    std::wstring ToText() const;

    friend bool operator==(const PropertyList&, const PropertyList&) = default;

private:
    Map m_items;
};

inline constexpr std::wstring_view kPropertySeparator = L"~#~";

} // namespace norvane
