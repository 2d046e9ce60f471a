// The exceptions dialog's working copy.
#include "ExceptionListEditor.h"

#include <algorithm>
#include <cwctype>

namespace norvane::options {

namespace {

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = std::towlower(static_cast<std::wint_t>(a[i]));
        const auto y = std::towlower(static_cast<std::wint_t>(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    // Equal but for case (or a prefix): keep a stable, total order.
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

ExceptionListEditor::ExceptionListEditor(const List& exceptions) : m_list(exceptions) {
    for (const auto& entry : m_list) {
        m_titles.push_back(entry.first);
    }
    std::sort(m_titles.begin(), m_titles.end(), LessIgnoringCase);
    m_selected = m_titles.empty() ? -1 : 0;
}

void ExceptionListEditor::Select(int index) {
    m_selected = index >= 0 && index < static_cast<int>(m_titles.size()) ? index : -1;
}

int ExceptionListEditor::Flags() const {
    if (m_selected < 0) {
        return 0;
    }
    auto it = m_list.find(m_titles[m_selected]);
    return it != m_list.end() ? it->second : 0;
}

void ExceptionListEditor::SetFlag(int flag, bool on) {
    if (m_selected < 0) {
        return;
    }
    int& flags = m_list[m_titles[m_selected]];
    flags = on ? (flags | flag) : (flags & ~flag);
}

void ExceptionListEditor::RemoveSelected() {
    if (m_selected < 0) {
        return;
    }
    m_list.erase(m_titles[m_selected]);
    m_titles.erase(m_titles.begin() + m_selected);
    if (m_selected >= static_cast<int>(m_titles.size())) {
        m_selected = static_cast<int>(m_titles.size()) - 1;
    }
}

} // namespace norvane::options
