// The options program's dialogs under Wine: the colour picker's fields and
// sliders, the exceptions dialog's edits, the image chooser's folders.
#include "BuiltinImage.h"
#include "ColourPicker.h"
#include "DisplayScale.h"
#include "ExceptionsDialog.h"
#include "ImageChooser.h"
#include "OptionsTestSupport.h"

#include <commctrl.h>

#include <cstring>

namespace norvane::options::test {
namespace {

class OptionDialogsTest : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        m_owner = CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                  nullptr);
    }
    void TearDown() override {
        DestroyWindow(m_owner);
        OptionsTest::TearDown();
    }
    static void Command(HWND dialog, int id, int code = BN_CLICKED) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    // Types into a field as the user would (it counts as edited) and leaves it.
    static void TypeAndLeave(HWND dialog, int id, const wchar_t* text) {
        HWND field = GetDlgItem(dialog, id);
        SetWindowTextW(field, text);
        SendMessageW(field, EM_SETMODIFY, TRUE, 0);
        Command(dialog, id, EN_KILLFOCUS);
    }
    static std::wstring Text(HWND dialog, int id) {
        wchar_t text[256] = L"";
        GetDlgItemTextW(dialog, id, text, 256);
        return text;
    }

    HWND m_owner = nullptr;
};

TEST_F(OptionDialogsTest, ColourPickerFieldsSlidersAndDefault) {
    ColourPicker picker(m_app, kPickerDefault, kPickerTab);
    HWND dialog = picker.Create(m_owner);
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(m_owner, caption, 64);
    EXPECT_EQ(std::wstring(caption), m_app.Text(IDS_COLOR_PICKER))
        << "the parent's caption says Color Picker";
    EXPECT_EQ(picker.Tab(), kPickerTab);
    EXPECT_FALSE(Shown(dialog, IDC_RED_SLIDER)) << "the sliders belong to the other tab";
    EXPECT_EQ(picker.Colour(), kPickerDefault);
    picker.SelectTab(kRgbValuesTab);
    EXPECT_TRUE(Shown(dialog, IDC_RED_SLIDER));
    EXPECT_EQ(Text(dialog, IDC_RED_LABEL), L"Red: ");

    // A slider at 50 gives 127, and the default becomes a colour.
    HWND green = GetDlgItem(dialog, IDC_GREEN_SLIDER);
    SendMessageW(green, TBM_SETPOS, TRUE, 50);
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 50), reinterpret_cast<LPARAM>(green));
    EXPECT_EQ(picker.Colour(), 0x007F00);
    EXPECT_EQ(Text(dialog, IDC_GREEN_FIELD), L"127");
    EXPECT_EQ(Text(dialog, IDC_HEX_FIELD), L"007F00");
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(green));
    EXPECT_EQ(picker.Colour(), 0x007F00) << "the end of tracking changes nothing";

    // Out of range or not a number: the box, and the field shows the value again.
    TypeAndLeave(dialog, IDC_RED_FIELD, L"300");
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().text, m_app.Text(IDS_VALID_VALUES));
    EXPECT_EQ(m_messages.back().caption, m_app.Text(IDS_INVALID_VALUE));
    EXPECT_EQ(Text(dialog, IDC_RED_FIELD), L"0");
    EXPECT_EQ(picker.Colour(), 0x007F00);
    TypeAndLeave(dialog, IDC_BLUE_FIELD, L"12x");
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(picker.Colour(), 0x007F00);
    TypeAndLeave(dialog, IDC_RED_FIELD, L"255");
    EXPECT_EQ(picker.Colour(), 0x007FFF);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_RED_SLIDER, TBM_GETPOS, 0, 0), 100);

    // The hexadecimal field, red first; what is no colour is refused.
    TypeAndLeave(dialog, IDC_HEX_FIELD, L"FF8000");
    EXPECT_EQ(picker.Colour(), 0x000080FF);
    EXPECT_EQ(Text(dialog, IDC_GREEN_FIELD), L"128");
    const std::size_t shown = m_messages.size();
    TypeAndLeave(dialog, IDC_HEX_FIELD, L"FF80zz");
    ASSERT_EQ(m_messages.size(), shown + 1);
    EXPECT_EQ(m_messages.back().text, m_app.Text(IDS_HEX_INVALID));
    EXPECT_EQ(picker.Colour(), 0x000080FF) << "no garbage is stored";
    EXPECT_EQ(Text(dialog, IDC_HEX_FIELD), L"FF8000");

    // "Default", then Done: the default marker.
    Command(dialog, IDC_DEFAULT_COLOR);
    EXPECT_EQ(picker.Colour(), kPickerDefault);
    EXPECT_TRUE(IsWindow(dialog)) << "Default keeps the picker open";
    Command(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(picker.Answer(), kPickerDefault);
    GetWindowTextW(m_owner, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Owner") << "the parent's caption comes back";
}

TEST_F(OptionDialogsTest, ColourPickerCancelAndThePalette) {
    ColourPicker picker(m_app, 0x123456, kPickerTab);
    HWND dialog = picker.Create(m_owner);
    ASSERT_NE(dialog, nullptr);
    const RECT palette = picker.PaletteRect();
    EXPECT_EQ(palette.right - palette.left, ScaleX(184));
    EXPECT_EQ(palette.bottom - palette.top, ScaleX(42));
    // A tap near the palette's left end in its upper half takes a red hue.
    SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(palette.left + 1, palette.top + 15));
    const Rgb picked = SplitColour(static_cast<ColorValue>(picker.Colour()));
    EXPECT_GT(picked.red, 200) << "the palette starts with red";
    EXPECT_LT(picked.blue, picked.red);
    SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(palette.left - 5, palette.top + 15));
    EXPECT_EQ(SplitColour(static_cast<ColorValue>(picker.Colour())), picked)
        << "outside the palette nothing happens";
    Command(dialog, IDC_CLOSE_WITHOUT_SAVING);
    EXPECT_EQ(picker.Answer(), kPickerCancelled);
}

TEST_F(OptionDialogsTest, ExceptionsDialogEditsACopy) {
    const ExceptionListEditor::List exceptions{{L"Notes", 1}, {L"Calculator", 6}, {L"Bubbles", 4}};
    ExceptionsDialog dialog(m_app, exceptions);
    HWND window = dialog.Create(m_owner);
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_EXCEPTION_LIST);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(window, IDC_EXCEPTION_PROMPT), m_app.Text(IDS_EXCEPTION_PROMPT));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_EXCEPTION_IGNORE_CLOSE_ALL), BST_CHECKED)
        << "Bubbles has flag 4";

    // Notes (flags 1): Minimize Only gives 3.
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    Command(window, IDC_EXCEPTION_LIST, LBN_SELCHANGE);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_EXCEPTION_HIDE), BST_CHECKED);
    CheckDlgButton(window, IDC_EXCEPTION_MINIMIZE, BST_CHECKED);
    Command(window, IDC_EXCEPTION_MINIMIZE);
    EXPECT_EQ(dialog.Result().at(L"Notes"), 3);

    // Remove: No keeps the program, Yes removes it and selects the new last.
    m_answers = {IDNO};
    Command(window, IDC_EXCEPTION_REMOVE);
    ASSERT_FALSE(m_messages.empty());
    EXPECT_NE(m_messages.back().text.find(L"Notes"), std::wstring::npos) << "the question names the program";
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    m_answers = {IDYES};
    Command(window, IDC_EXCEPTION_REMOVE);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(dialog.Result().count(L"Notes"), 0u);
    EXPECT_EQ(exceptions.size(), 3u) << "the record's list is untouched";
    Command(window, IDOK);
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_EQ(dialog.Result().size(), 2u);
}

TEST_F(OptionDialogsTest, ExceptionsDialogWithoutExceptionsAndCancel) {
    ExceptionsDialog dialog(m_app, {});
    HWND window = dialog.Create(m_owner);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window, IDC_EXCEPTION_PROMPT), m_app.Text(IDS_NO_EXCEPTIONS));
    for (int id :
         {IDC_EXCEPTION_REMOVE, IDC_EXCEPTION_HIDE, IDC_EXCEPTION_MINIMIZE, IDC_EXCEPTION_IGNORE_CLOSE_ALL}) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, id))) << id;
    }
    Command(window, IDC_CLOSE_WITHOUT_SAVING);
    EXPECT_FALSE(dialog.Accepted());
}

// A PNG of the given size (one colour, stored without compression).
std::string Png(int width, int height) {
    auto be = [](std::string& s, unsigned v) {
        for (int shift : {24, 16, 8, 0}) {
            s += static_cast<char>((v >> shift) & 0xFF);
        }
    };
    auto chunk = [&](std::string& out, const char* type, const std::string& data) {
        be(out, static_cast<unsigned>(data.size()));
        const std::string body = std::string(type, 4) + data;
        out += body;
        unsigned crc = 0xFFFFFFFFu;
        for (unsigned char c : body) {
            crc ^= c;
            for (int k = 0; k < 8; ++k) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
        }
        be(out, crc ^ 0xFFFFFFFFu);
    };
    std::string header;
    be(header, static_cast<unsigned>(width));
    be(header, static_cast<unsigned>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            raw += std::string("\x20\x80\xC0\xFF", 4);
        }
    }
    std::string zlib("\x78\x01", 2);
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        zlib += static_cast<char>(at + n == raw.size() ? 1 : 0);
        zlib += static_cast<char>(n & 0xFF);
        zlib += static_cast<char>(n >> 8);
        zlib += static_cast<char>(~n & 0xFF);
        zlib += static_cast<char>((~n >> 8) & 0xFF);
        zlib += raw.substr(at, n);
        at += n;
    } while (at < raw.size());
    unsigned a = 1;
    unsigned b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    be(zlib, (b << 16) | a);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", "");
    return png;
}

// A 24-bit bottom-up BMP of the given size.
std::string Bmp(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    std::string bmp(54, '\0');
    auto le = [&](std::size_t at, unsigned v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    le(2, static_cast<unsigned>(54 + stride * height), 4);
    le(10, 54, 4);
    le(14, 40, 4);
    le(18, static_cast<unsigned>(width), 4);
    le(22, static_cast<unsigned>(height), 4);
    le(26, 1, 2);
    le(28, 24, 2);
    bmp += std::string(static_cast<std::size_t>(stride * height), '\x40');
    return bmp;
}

TEST_F(OptionDialogsTest, ImageChooserOffersWhatFitsTheMode) {
    const std::wstring folder = m_scratch.WidePath("Images");
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"\\small.png", Png(48, 48));
    WriteBytes(folder + L"\\LARGE.PNG", Png(80, 80));
    WriteBytes(folder + L"\\tab.png", Png(64, 64));
    WriteBytes(folder + L"\\icon.bmp", Bmp(32, 32));
    WriteBytes(folder + L"\\notes.txt", "not a picture");
    WriteBytes(folder + L"\\broken.png", "\x89PNG\r\n\x1a\nbroken");
    auto references = [&](ImageMode mode) {
        std::vector<std::wstring> names;
        for (const ImageEntry& entry : CollectImages(folder, mode, L"")) {
            names.push_back(entry.reference.substr(folder.size() + 1));
        }
        return names;
    };
    EXPECT_EQ(references(ImageMode::ShortcutImages),
              (std::vector<std::wstring>{L"icon.bmp", L"small.png", L"tab.png"}))
        << "bitmaps count for shortcuts; 80 x 80 is too large; broken files are passed over";
    EXPECT_EQ(references(ImageMode::TabImages), (std::vector<std::wstring>{L"small.png", L"tab.png"}));
    SetScreenDpi(192, 192);
    EXPECT_EQ(references(ImageMode::TabImages),
              (std::vector<std::wstring>{L"LARGE.PNG", L"small.png", L"tab.png"}))
        << "tab pictures up to 128 x 128 on a 192-dpi screen, capitals too";
    EXPECT_EQ(references(ImageMode::ShortcutImages).size(), 3u) << "shortcut pictures stay at 64";
    ResetScreenDpi();

    // Built-in pictures come from the item's module: 17 in three sizes.
    EXPECT_EQ(CollectImages(kBuiltinFolder, ImageMode::TabImages, PluginPath()).size(),
              static_cast<std::size_t>(kBuiltinImageCount * kBuiltinImageVariants));
    EXPECT_TRUE(CollectImages(kBuiltinFolder, ImageMode::TabImages, m_scratch.WidePath("none.dll")).empty());
}

TEST_F(OptionDialogsTest, ImageChooserRemembersTheFolderAndChooses) {
    const std::wstring folder = m_scratch.WidePath("Icons");
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"\\a.png", Png(16, 16));
    {
        ImageChooser chooser(m_app, ImageMode::ShortcutImages);
        HWND window = chooser.Create(m_owner);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(chooser.Folder(), L"\\") << "shortcut pictures start at the root";
        EXPECT_TRUE(Shown(window, IDC_IMAGE_DEFAULT));
        chooser.ShowFolder(folder);
        ASSERT_EQ(chooser.Entries().size(), 1u);
        Command(window, IDC_IMAGE_SELECT);
        EXPECT_TRUE(chooser.Accepted()) << "with Default allowed, Select without a choice ends";
        EXPECT_EQ(chooser.Reference(), L"");
    }
    {
        ImageChooser chooser(m_app, ImageMode::ShortcutImages);
        HWND window = chooser.Create(m_owner);
        EXPECT_EQ(chooser.Folder(), folder) << "the folder used last in this mode";
        chooser.Select(0);
        Command(window, IDOK);
        EXPECT_TRUE(chooser.Accepted());
        EXPECT_EQ(chooser.Reference(), folder + L"\\a.png");
    }
    {
        ImageChooser chooser(m_app, ImageMode::TabImages);
        chooser.SetPluginModule(PluginPath());
        HWND window = chooser.Create(m_owner);
        EXPECT_EQ(chooser.Folder(), kBuiltinFolder) << "tab pictures start with the built-in ones";
        EXPECT_FALSE(Shown(window, IDC_IMAGE_DEFAULT));
        Command(window, IDC_IMAGE_SELECT);
        EXPECT_TRUE(IsWindow(window)) << "a tab needs a picture";
        chooser.Select(5);
        Command(window, IDC_IMAGE_SELECT);
        EXPECT_TRUE(chooser.Accepted());
        EXPECT_EQ(chooser.Reference(), L"builtin:1l");
    }
}

} // namespace
} // namespace norvane::options::test
