// True-VGA mode of the options program: how TrueVGAOptions and the screen's
// dots per inch decide the two display flags, and what the doubling does to a
// dialog's controls and fonts.
#include "DialogSupport.h"
#include "DisplayScale.h"
#include "OptionsResource.h"
#include "OptionsTestSupport.h"

#include <map>

namespace norvane::options::test {
namespace {

class TrueVgaTest : public OptionsTest {
protected:
    void TearDown() override {
        m_app.SetDisplayFlags(false, false);
        OptionsTest::TearDown();
    }
};

TEST_F(TrueVgaTest, TheValueAndTheScreenDecideScalingAndLargeArtwork) {
    struct Case {
        int dpi;
        DWORD value;
        bool read;
        bool scaling;
        bool hiRes;
    };
    const Case cases[] = {
        {96, 0, true, false, false},  {192, 0, true, false, true},  {96, 1, true, true, true},
        {192, 1, true, true, true},   {96, 2, true, true, true},    {192, 2, true, false, true},
        {131, 2, true, false, true},  {96, 3, true, false, false},  {96, 0xFFFFFFFF, true, false, false},
        {96, 1, false, false, false}, {192, 2, false, false, true},
    };
    for (const Case& c : cases) {
        m_app.DecideDisplayFlags(c.dpi, c.value, c.read);
        EXPECT_EQ(m_app.TrueVgaScaling(), c.scaling)
            << c.dpi << " dpi, value " << c.value << ", read " << c.read;
        EXPECT_EQ(m_app.HiResDisplay(), c.hiRes) << c.dpi << " dpi, value " << c.value << ", read " << c.read;
        // Every measure of the program follows the flag.
        EXPECT_EQ(ScaleX(10) * 96 / ScreenDpiX(), c.scaling ? 20 : 10) << c.dpi << " dpi, value " << c.value;
    }
}

struct Placed {
    RECT rect;
    LONG fontHeight;
};

std::map<int, Placed> Controls(HWND dialog) {
    std::map<int, Placed> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        Placed placed{};
        GetWindowRect(child, &placed.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed.rect), 2);
        LOGFONTW font{};
        HFONT handle = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        if (handle != nullptr && GetObjectW(handle, sizeof font, &font) != 0) {
            placed.fontHeight = font.lfHeight;
        }
        found[GetDlgCtrlID(child)] = placed;
    }
    return found;
}

HWND CreateExceptionsTemplate(HINSTANCE instance) {
    return CreateDialogParamW(
        instance, MAKEINTRESOURCEW(IDD_EXCEPTIONS), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
}

TEST_F(TrueVgaTest, DoublingDoublesEveryControlAndItsFontAndTheFontsGoWithTheDialog) {
    HWND plain = CreateExceptionsTemplate(m_app.Instance());
    ASSERT_NE(plain, nullptr);
    const std::map<int, Placed> before = Controls(plain);
    DestroyWindow(plain);
    ASSERT_GE(before.size(), 5u);

    m_app.SetDisplayFlags(true, true);
    HWND doubled = CreateExceptionsTemplate(m_app.Instance());
    ASSERT_NE(doubled, nullptr);
    {
        DialogFonts fonts;
        const SIZE design = PrepareDialog(doubled, m_app, 0, fonts, 0);
        RECT client;
        GetClientRect(doubled, &client);
        EXPECT_EQ(design.cx, client.right * 2) << "the design size doubles with the controls";
        const std::map<int, Placed> after = Controls(doubled);
        ASSERT_EQ(after.size(), before.size());
        for (const auto& [id, old] : before) {
            const Placed& now = after.at(id);
            EXPECT_EQ(now.rect.left, old.rect.left * 2) << "control " << id;
            EXPECT_EQ(now.rect.top, old.rect.top * 2) << "control " << id;
            EXPECT_EQ(now.rect.right - now.rect.left, (old.rect.right - old.rect.left) * 2)
                << "control " << id;
            if (id != IDC_EXCEPTION_LIST) { // a list box keeps whole rows
                EXPECT_EQ(now.rect.bottom - now.rect.top, (old.rect.bottom - old.rect.top) * 2)
                    << "control " << id;
            }
            EXPECT_EQ(now.fontHeight, old.fontHeight * 2) << "control " << id;
        }
        EXPECT_EQ(fonts.Count(), before.size() + 1) << "one font per control and one for the dialog";
        // What the dialog draws itself takes the doubled font too.
        LOGFONTW own{};
        LOGFONTW drawn{};
        ASSERT_NE(
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(doubled, WM_GETFONT, 0, 0)), sizeof own, &own),
            0);
        ASSERT_NE(GetObjectW(FontOf(doubled, fonts), sizeof drawn, &drawn), 0);
        EXPECT_EQ(drawn.lfHeight, own.lfHeight * 2);
        HFONT first = FontOf(doubled, fonts);
        DestroyWindow(doubled);
        LOGFONTW probe{};
        EXPECT_NE(GetObjectW(first, sizeof probe, &probe), 0) << "ours, not the dialog's to delete";
        fonts.Clear();
        EXPECT_EQ(GetObjectW(first, sizeof probe, &probe), 0) << "deleted with the dialog's fonts";
    }
}

} // namespace
} // namespace norvane::options::test
