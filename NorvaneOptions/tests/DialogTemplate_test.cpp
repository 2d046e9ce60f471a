// Control rectangles read from dialog templates, both layouts, and templates
// that are cut short.
#include "DialogTemplate.h"

#include <gtest/gtest.h>

#include <string>

namespace norvane::options {
namespace {

class Bytes {
public:
    void Word(unsigned v) {
        m_data += static_cast<char>(v & 0xFF);
        m_data += static_cast<char>((v >> 8) & 0xFF);
    }
    void Dword(unsigned long v) {
        Word(v & 0xFFFF);
        Word((v >> 16) & 0xFFFF);
    }
    void Rect(int x, int y, int cx, int cy) {
        for (int v : {x, y, cx, cy}) {
            Word(static_cast<unsigned>(v) & 0xFFFF);
        }
    }
    void String(const char* text) {
        for (; *text; ++text) {
            Word(static_cast<unsigned char>(*text));
        }
        Word(0);
    }
    void Align() {
        while (m_data.size() % 4 != 0) {
            m_data += '\0';
        }
    }
    const std::string& Data() const { return m_data; }

private:
    std::string m_data;
};

constexpr unsigned long kSetFont = 0x40;

// DIALOGEX with a font, two items: a button by class ordinal and a custom class
// by name with creation data.
std::string ExtendedTemplate() {
    Bytes b;
    b.Word(1);
    b.Word(0xFFFF);
    b.Dword(0);                     // help id
    b.Dword(0);                     // extended style
    b.Dword(0x40000000 | kSetFont); // WS_CHILD | DS_SETFONT
    b.Word(2);
    b.Rect(0, 0, 208, 104);
    b.Word(0);        // menu
    b.Word(0);        // class
    b.String("Page"); // title
    b.Word(8);
    b.Word(400);
    b.Word(0); // italic, charset
    b.String("Tahoma");
    b.Align();
    b.Dword(0);
    b.Dword(0);
    b.Dword(0x50010000);
    b.Rect(142, 2, 64, 13);
    b.Dword(1012);
    b.Word(0xFFFF);
    b.Word(0x0080); // Button
    b.String("Move Up");
    b.Word(0);
    b.Align();
    b.Dword(0);
    b.Dword(0);
    b.Dword(0x50000000);
    b.Rect(2, 18, 156, -3);
    b.Dword(1020);
    b.String("NorvaneImageGrid");
    b.Word(0xFFFF);
    b.Word(7); // title by ordinal
    b.Word(3); // three bytes of creation data
    b.Word(0x0201);
    b.Word(0x0003);
    return b.Data();
}

TEST(DialogTemplate, ReadsExtendedTemplates) {
    DialogTemplateInfo info;
    ASSERT_TRUE(ReadDialogTemplate(ExtendedTemplate(), info));
    EXPECT_EQ(info.rect, (TemplateRect{0, 0, 208, 104}));
    ASSERT_EQ(info.items.size(), 2u);
    EXPECT_EQ(info.items[0].id, 1012);
    EXPECT_EQ(info.items[0].rect, (TemplateRect{142, 2, 64, 13}));
    EXPECT_EQ(info.items[1].id, 1020);
    EXPECT_EQ(info.items[1].rect, (TemplateRect{2, 18, 156, -3})) << "signed dialog units";
}

TEST(DialogTemplate, ReadsPlainTemplates) {
    Bytes b;
    b.Dword(0x80000000); // WS_POPUP, no font
    b.Dword(0);
    b.Word(1);
    b.Rect(0, 0, 160, 118);
    b.Word(0);
    b.Word(0);
    b.Word(0);
    b.Align();
    b.Dword(0x50000000);
    b.Dword(0);
    b.Rect(2, 22, 156, 50);
    b.Word(1039);
    b.Word(0xFFFF);
    b.Word(0x0083); // ListBox
    b.Word(0);
    b.Word(0);
    DialogTemplateInfo info;
    ASSERT_TRUE(ReadDialogTemplate(b.Data(), info));
    EXPECT_EQ(info.rect.cy, 118);
    ASSERT_EQ(info.items.size(), 1u);
    EXPECT_EQ(info.items[0].id, 1039);
    EXPECT_EQ(info.items[0].rect, (TemplateRect{2, 22, 156, 50}));
}

TEST(DialogTemplate, ShortOrEmptyTemplatesReadAsNothing) {
    const std::string whole = ExtendedTemplate();
    DialogTemplateInfo info;
    for (std::size_t cut = 0; cut + 1 < whole.size(); ++cut) {
        EXPECT_FALSE(ReadDialogTemplate(whole.substr(0, cut), info)) << "cut at " << cut;
        EXPECT_TRUE(info.items.empty());
    }
    // A template claiming more items than it holds.
    std::string more = whole;
    more[16] = 9;
    EXPECT_FALSE(ReadDialogTemplate(more, info));
}

} // namespace
} // namespace norvane::options
