// The dialog template reader.
#include "DialogTemplate.h"

namespace norvane::options {

namespace {

constexpr std::uint32_t kSetFont = 0x40; // DS_SETFONT (DS_SHELLFONT includes it)

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    bool Ok() const { return m_ok; }
    std::size_t Offset() const { return m_at; }

    std::uint32_t Bytes(int count) {
        if (!m_ok || m_bytes.size() - m_at < static_cast<std::size_t>(count)) {
            m_ok = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(m_bytes[m_at + i]);
        }
        m_at += count;
        return value;
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Bytes(2)); }
    std::uint32_t Dword() { return Bytes(4); }
    int Short() { return static_cast<std::int16_t>(Word()); }

    // A null-terminated UTF-16 string, skipped.
    void SkipString() {
        while (m_ok && Word() != 0) {
        }
    }
    // A string or an ordinal (0xFFFF followed by a number), or nothing (0).
    void SkipStringOrOrdinal() {
        const std::uint16_t first = Word();
        if (first == 0xFFFF) {
            Word();
        } else if (first != 0) {
            SkipString();
        }
    }
    void AlignDword() {
        const std::size_t aligned = (m_at + 3) & ~static_cast<std::size_t>(3);
        if (aligned > m_bytes.size()) {
            m_ok = false;
            return;
        }
        m_at = aligned;
    }
    void Skip(std::size_t count) {
        if (m_bytes.size() - m_at < count) {
            m_ok = false;
            return;
        }
        m_at += count;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
    bool m_ok = true;
};

TemplateRect ReadRect(Reader& r) {
    TemplateRect rect;
    rect.x = r.Short();
    rect.y = r.Short();
    rect.cx = r.Short();
    rect.cy = r.Short();
    return rect;
}

} // namespace

bool ReadDialogTemplate(std::string_view bytes, DialogTemplateInfo& info) {
    info = DialogTemplateInfo();
    Reader r(bytes);
    const std::uint16_t version = r.Word();
    const std::uint16_t signature = r.Word();
    const bool extended = version == 1 && signature == 0xFFFF;
    std::uint32_t style = 0;
    if (extended) {
        r.Dword(); // help id
        r.Dword(); // extended style
        style = r.Dword();
    } else {
        style = version | (static_cast<std::uint32_t>(signature) << 16);
        r.Dword(); // extended style
    }
    const int count = r.Word();
    info.rect = ReadRect(r);
    r.SkipStringOrOrdinal(); // menu
    r.SkipStringOrOrdinal(); // class
    r.SkipString();          // title
    if (style & kSetFont) {
        r.Word(); // point size
        if (extended) {
            r.Word();   // weight
            r.Bytes(2); // italic, character set
        }
        r.SkipString(); // face name
    }
    for (int i = 0; i < count && r.Ok(); ++i) {
        r.AlignDword();
        TemplateItem item;
        if (extended) {
            r.Dword(); // help id
            r.Dword(); // extended style
            r.Dword(); // style
            item.rect = ReadRect(r);
            item.id = static_cast<int>(r.Dword());
        } else {
            r.Dword(); // style
            r.Dword(); // extended style
            item.rect = ReadRect(r);
            item.id = r.Word();
        }
        r.SkipStringOrOrdinal(); // class
        r.SkipStringOrOrdinal(); // title
        r.Skip(r.Word());        // creation data
        if (r.Ok()) {
            info.items.push_back(item);
        }
    }
    if (!r.Ok()) {
        info.items.clear();
        return false;
    }
    return true;
}

} // namespace norvane::options
