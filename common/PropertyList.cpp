// Special properties of a shortcut and their text form.
#include "PropertyList.h"

#include "TextCodec.h"

namespace norvane {

std::wstring PropertyList::Get(std::wstring_view key) const {
    auto it = m_items.find(LowerCase(key));
    return it == m_items.end() ? std::wstring() : it->second;
}

void PropertyList::Set(std::wstring_view key, std::wstring_view value) {
    m_items.insert_or_assign(LowerCase(key), std::wstring(value));
}

void PropertyList::Parse(std::wstring_view text) {
    m_items.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t keyEnd = text.find(kPropertySeparator, pos);
        if (keyEnd == std::wstring_view::npos) {
            return; // a key with no separator after it is dropped
        }
        const std::wstring_view key = text.substr(pos, keyEnd - pos);
        const std::size_t valueStart = keyEnd + kPropertySeparator.size();
        std::size_t valueEnd = text.find(kPropertySeparator, valueStart);
        if (valueEnd == std::wstring_view::npos) {
            valueEnd = text.size();
        }
        m_items.insert_or_assign(std::wstring(key),
                                 std::wstring(text.substr(valueStart, valueEnd - valueStart)));
        pos = valueEnd == text.size() ? valueEnd : valueEnd + kPropertySeparator.size();
    }
}

std::wstring PropertyList::ToText() const {
    std::wstring out;
    for (const auto& [key, value] : m_items) {
        if (value.empty()) {
            continue;
        }
        if (!out.empty()) {
            out += kPropertySeparator;
        }
        out += key;
        out += kPropertySeparator;
        out += value;
    }
    return out;
}

} // namespace norvane
