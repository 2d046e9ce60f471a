// The tab views laid out and painted off screen: the item in the test Today
// screen renders into a 32-bit section through WM_PRINTCLIENT, and the tests
// look at named pixels. A failing test leaves its picture as a BMP file.
#include "TodayHost.h"

#include "DisplayScale.h"
#include "Module.h"
#include "TabView.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

COLORREF Blend(COLORREF colour, COLORREF under, int alpha) {
    auto channel = [alpha](int c, int p) {
        int t = c * alpha + p * (255 - alpha) + 128;
        return (t + (t >> 8)) >> 8;
    };
    return RGB(channel(GetRValue(colour), GetRValue(under)), channel(GetGValue(colour), GetGValue(under)),
               channel(GetBValue(colour), GetBValue(under)));
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;

    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return CLR_INVALID;
        }
        DWORD v = pixels[y * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(const RECT& r, COLORREF colour) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                n += At(x, y) == colour;
            }
        }
        return n;
    }
    // Writes a BMP next to the test program.
    void Save(const std::string& name) const {
        std::string path = name + ".bmp";
        FILE* f = fopen(path.c_str(), "wb");
        if (!f) {
            return;
        }
        BITMAPFILEHEADER fh = {};
        BITMAPINFOHEADER ih = {};
        ih.biSize = sizeof(ih);
        ih.biWidth = width;
        ih.biHeight = -height;
        ih.biPlanes = 1;
        ih.biBitCount = 32;
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(fh) + sizeof(ih);
        fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
        fwrite(&fh, sizeof(fh), 1, f);
        fwrite(&ih, sizeof(ih), 1, f);
        fwrite(pixels.data(), 4, pixels.size(), f);
        fclose(f);
    }
};

class TabViewTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareItemTest(); }

    void TearDown() override {
        if (HasFailure()) {
            last.Save(::testing::UnitTest::GetInstance()->current_test_info()->name());
        }
        item.reset();
        ResetItemRegistry();
        SetDisplayFlags(false, false);
    }

    void Start(const std::wstring& settings) {
        WriteSettingsText(settings);
        item = std::make_unique<TodayItemWindow>();
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
        Resize();
    }

    // The item as wide as a QVGA screen and as tall as the view wants.
    void Resize(int width = 240) {
        SetWindowPos(item->Hwnd(), nullptr, 0, 0, width, std::max(1, item->View()->GetHeight()),
                     SWP_NOZORDER);
        host.Pump(20);
    }

    TabView& View() { return *static_cast<TabView*>(item->View()); }

    const Picture& Render() {
        RECT rc;
        GetClientRect(item->Hwnd(), &rc);
        last.width = rc.right;
        last.height = rc.bottom;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = last.width;
        bi.bmiHeader.biHeight = -last.height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, dib);
        SendMessageW(item->Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        last.pixels.assign(p, p + last.width * last.height);
        SelectObject(dc, old);
        DeleteObject(dib);
        DeleteDC(dc);
        return last;
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    Picture last;
};

std::wstring Shortcuts(int n, const std::wstring& extra = L"") {
    std::wstring text;
    for (int i = 1; i <= n; ++i) {
        text += L"Shortcut" + std::to_wstring(i) + L"=\\Windows\\Program " + std::to_wstring(i) + L".lnk\r\n";
    }
    return text + extra;
}

const wchar_t kBase[] =
    L"\r\n[General]\r\nBehaviorMode=2\r\nBottomAlign=0\r\nIconDisplayMode=0\r\nHideSettingsBtn=1\r\n"
    L"LineSeparatorsColor=200,0,200\r\nCurrentTabOpacity=0\r\n";

TEST_F(TabViewTest, SelectionBlendsItsColourOverTheTarget) {
    for (int opacity : {0, 50, 100}) {
        Start(std::wstring(kBase) + L"SelectedItemColor=255,0,0\r\nSelectedShortcutOpacity=" +
              std::to_wstring(opacity) + L"\r\n[Tab1]\r\nName=One\r\n" + Shortcuts(3));
        TabRecord* tab = item->CurrentTabRecord();
        ASSERT_NE(tab, nullptr);
        ShortcutRecord* second = tab->Shortcuts[1].get();
        item->SelectShortcut(second);
        const IconPlacement* at = View().PlacementOf(second);
        ASSERT_NE(at, nullptr);
        const Picture& picture = Render();
        // The target's last column lies beside the picture.
        COLORREF got = picture.At(at->hit.right - 1, at->hit.top + 1);
        COLORREF expected = Blend(RGB(255, 0, 0), kHostBackground, opacity * 255 / 100);
        EXPECT_EQ(got, expected) << "opacity " << opacity;
        if (opacity == 0) {
            EXPECT_EQ(got, kHostBackground);
        }
        if (opacity == 100) {
            EXPECT_EQ(got, RGB(255, 0, 0));
        }
        // The unselected neighbour keeps the background there.
        const IconPlacement* first = View().PlacementOf(tab->Shortcuts[0].get());
        EXPECT_EQ(picture.At(first->hit.right - 1, first->hit.top + 1), kHostBackground);
        // A picture stands in for a shortcut without an icon.
        RECT icon = {first->icon.left, first->icon.top, first->icon.right, first->icon.bottom};
        EXPECT_GT(picture.Count(icon, kHostBackground), 0) << "transparent corners";
        EXPECT_LT(picture.Count(icon, kHostBackground), 16 * 16) << "the fallback picture is drawn";
        item.reset();
    }
}

TEST_F(TabViewTest, CaptionShadowsFollowTheirStyle) {
    int shadowCounts[3] = {};
    for (int style = 0; style <= 2; ++style) {
        Start(std::wstring(kBase) +
              L"CaptionColor=0,255,0\r\nCaptionShadowColor=0,0,255\r\nCaptionFontSize=14\r\n"
              L"ExtraCaptionWidth=10\r\nSmallIconCaptionMode=1\r\nShadowStyleForCaptions=" +
              std::to_wstring(style) +
              L"\r\n[Tab1]\r\nName=One\r\nCaptionsEnabled=1\r\nShortcut1=\\Windows\\WWWW.lnk\r\n");
        ShortcutRecord* shortcut = item->CurrentTabRecord()->Shortcuts[0].get();
        const IconPlacement* at = View().PlacementOf(shortcut);
        ASSERT_NE(at, nullptr);
        ASSERT_FALSE(at->caption.IsEmpty());
        const Picture& picture = Render();
        RECT caption = {at->caption.left - 1, at->caption.top - 1, at->caption.right + 1,
                        at->caption.bottom + 1};
        EXPECT_GT(picture.Count(caption, RGB(0, 255, 0)), 5) << "caption text, style " << style;
        shadowCounts[style] = picture.Count(caption, RGB(0, 0, 255));
        item.reset();
    }
    EXPECT_EQ(shadowCounts[0], 0) << "no shadow";
    EXPECT_GT(shadowCounts[1], 3) << "one shadow";
    EXPECT_GT(shadowCounts[2], shadowCounts[1]) << "four diagonal shadows cover more";
}

TEST_F(TabViewTest, CaptionsBreakBetweenWordsNeverInsideOne) {
    // A large icon's caption has room for two lines. Two short words take both;
    // one long word stays on the first line, cut short, instead of running on
    // into the second.
    struct Case {
        const wchar_t* name;
        bool secondLine;
    } cases[] = {{L"WW WW", true}, {L"WWWWWWWWWW", false}, {L"WWWWWWWWWW WW", true}};
    for (const Case& c : cases) {
        Start(std::wstring(kBase) +
              L"CaptionColor=0,255,0\r\nCaptionShadowColor=0,0,255\r\nCaptionFontSize=12\r\n"
              L"CaptionHeight=13\r\nShadowStyleForCaptions=0\r\n[Tab1]\r\nName=One\r\n"
              L"CaptionsEnabled=1\r\nShortcut1=\\Windows\\" +
              std::wstring(c.name) + L".lnk\r\nLargeIcon1=1\r\n");
        ShortcutRecord* shortcut = item->CurrentTabRecord()->Shortcuts[0].get();
        const IconPlacement* at = View().PlacementOf(shortcut);
        ASSERT_NE(at, nullptr);
        ASSERT_EQ(at->caption.Height(), 26);
        const Picture& picture = Render();
        const int middle = at->caption.top + 13;
        RECT first = {at->caption.left - 4, at->caption.top, at->caption.right + 4, middle};
        RECT second = {at->caption.left - 4, middle, at->caption.right + 4, at->caption.bottom};
        EXPECT_GT(picture.Count(first, RGB(0, 255, 0)), 5) << "first line of " << c.name;
        if (c.secondLine) {
            EXPECT_GT(picture.Count(second, RGB(0, 255, 0)), 5) << "second line of " << c.name;
        } else {
            EXPECT_EQ(picture.Count(second, RGB(0, 255, 0)), 0) << "second line of " << c.name;
        }
        item.reset();
    }
}

TEST_F(TabViewTest, AutomaticColoursResolveAsDocumented) {
    EXPECT_EQ(AutomaticShadow(RGB(0, 0, 0)), 0xFEFFFFu);
    EXPECT_EQ(AutomaticShadow(RGB(255, 255, 255)), RGB(0, 0, 0));
    EXPECT_EQ(AutomaticShadow(RGB(100, 50, 49)), 0xFEFFFFu);
    EXPECT_EQ(AutomaticShadow(RGB(100, 50, 50)), RGB(0, 0, 0));
    EXPECT_EQ(OpacityToAlpha(40), 102);
    EXPECT_EQ(OpacityToAlpha(100), 255);
    EXPECT_EQ(OpacityToAlpha(250), 255);
    GeneralOptions general;
    PaintColours colours = ResolvePaintColours(general, host.Hwnd(), RGB(1, 2, 3));
    EXPECT_EQ(colours.caption, SystemColour(4, RGB(0, 0, 0)));
    EXPECT_EQ(colours.captionShadow, AutomaticShadow(colours.caption));
    EXPECT_FALSE(colours.tabBackground) << "an automatic tab background is none";
    EXPECT_EQ(colours.separator, RGB(1, 2, 3));
}

TEST_F(TabViewTest, TabFramesLeaveTheCurrentTabOpenTowardsTheIcons) {
    Start(std::wstring(kBase) + L"TabBGColor=0,0,0\r\nTabOpacity=100\r\n[Tab1]\r\nName=One\r\n" +
          Shortcuts(2) + L"[Tab2]\r\nName=Two\r\n" + Shortcuts(1));
    ASSERT_EQ(item->CurrentTab(), 0);
    TabStrip strip = View().Strip();
    ASSERT_EQ(strip.tabs.size(), 2u);
    const Picture& picture = Render();
    const COLORREF separator = RGB(200, 0, 200);
    LayoutRect current = strip.tabs[0].rect;
    LayoutRect other = strip.tabs[1].rect;
    int midY = (current.top + current.bottom) / 2;
    // Without a settings button the first tab starts just off the left edge, and
    // the bar's top row lies above the item.
    EXPECT_EQ(current.left, -2);
    EXPECT_EQ(current.top, -1);
    EXPECT_EQ(picture.At(current.right - 1, midY), separator) << "right edge of the current tab";
    EXPECT_EQ(picture.At(other.left, midY), separator) << "left edge of the next tab";
    int midX = (current.left + current.right) / 2;
    EXPECT_NE(picture.At(midX, current.bottom - 1), separator) << "open towards the icons";
    int otherMid = (other.left + other.right) / 2;
    EXPECT_EQ(picture.At(otherMid, other.bottom - 1), separator) << "other tabs are closed";
    // The other tab's background is black at opacity 100; the current one's is untouched.
    EXPECT_EQ(picture.At(otherMid + 1, other.top + 2), RGB(0, 0, 0));
    EXPECT_EQ(picture.At(current.left + 2, current.top + 2), kHostBackground);
    POINT anchor = View().GetTabBarAnchor();
    EXPECT_EQ(anchor.x, current.left);
}

TEST_F(TabViewTest, BarAtTheBottomAndHeightsFollowTheSettings) {
    Start(std::wstring(kBase) + L"BottomAlign=1\r\n[Tab1]\r\nName=One\r\n" + Shortcuts(30));
    const TabBarGeometry& bar = View().Bar();
    EXPECT_TRUE(bar.atBottom);
    int height = View().GetHeight();
    EXPECT_EQ(bar.bottom, height + ScaleY(1));
    EXPECT_EQ(height, View().ContentHeight(item->CurrentTabRecord()) + ScaleY(2) + bar.height);
    RECT area = View().GetIconAreaRect();
    RECT client;
    GetClientRect(item->Hwnd(), &client);
    EXPECT_EQ(area.bottom, client.bottom - bar.height - ScaleY(2));
    EXPECT_EQ(area.top, ScaleX(1));
    item.reset();

    // A fixed height is used as it is; the tallest tab then scrolls.
    Start(std::wstring(kBase) + L"HeightInPixels=60\r\nLandscapeHeightInPixel=60\r\n[Tab1]\r\nName=One\r\n" +
          Shortcuts(40));
    EXPECT_EQ(View().GetHeight(), 60);
    EXPECT_GT(View().ScrollRange(item->CurrentTabRecord()), 0);
    const Picture& picture = Render();
    RECT down = View().DownArrowRect();
    EXPECT_FALSE(IsRectEmpty(&down)) << "the down arrow is drawn";
    RECT up = View().UpArrowRect();
    EXPECT_TRUE(IsRectEmpty(&up)) << "no up arrow at the top";
    EXPECT_GT(picture.Count(down, kHostBackground), 0);
    EXPECT_LT(picture.Count(down, kHostBackground), (down.right - down.left) * (down.bottom - down.top));

    // Holding the down arrow scrolls by ScaleY(12) a tick until the end.
    POINT pt{(down.left + down.right) / 2, (down.top + down.bottom) / 2};
    SendMessageW(item->Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(View().ScrollOffset(), -std::min(ScaleY(12), View().ScrollRange(item->CurrentTabRecord())));
    EXPECT_TRUE(View().IsScrolling());
    ASSERT_TRUE(host.PumpUntil([this] { return !View().IsScrolling(); }, 5000));
    EXPECT_EQ(View().ScrollOffset(), -View().ScrollRange(item->CurrentTabRecord()));
    SendMessageW(item->Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    Render();
    up = View().UpArrowRect();
    EXPECT_FALSE(IsRectEmpty(&up)) << "scrolled down: the up arrow appears";
    // Scrolling a shortcut into view brings the first one back.
    View().ScrollIntoView(*item->CurrentTabRecord()->Shortcuts[0]);
    EXPECT_EQ(View().ScrollOffset(), 0);
}

TEST_F(TabViewTest, HitTestsFindTabsAndShortcuts) {
    Start(std::wstring(kBase) + L"[Tab1]\r\nName=One\r\n" + Shortcuts(5) + L"[Tab2]\r\nName=Two\r\n" +
          Shortcuts(1));
    TabStrip strip = View().Strip();
    LayoutRect second = strip.tabs[1].rect;
    EXPECT_EQ(View().TabAt(POINT{second.left + 5, second.top + 3}), 1);
    EXPECT_EQ(View().TabAt(POINT{5, View().GetHeight() - 1}), -1);
    ShortcutRecord* third = item->CurrentTabRecord()->Shortcuts[2].get();
    const IconPlacement* at = View().PlacementOf(third);
    EXPECT_EQ(View().ShortcutAt(POINT{at->icon.left + 2, at->icon.top + 2}), third);
    EXPECT_EQ(View().ShortcutAt(POINT{230, at->icon.top + 2}), nullptr);
}

TEST_F(TabViewTest, ViewsLayOutAtVgaWithDoubledMeasures) {
    Start(std::wstring(kBase) + L"TrueVGA=1\r\n[Tab1]\r\nName=One\r\n" + Shortcuts(4));
    ASSERT_TRUE(TrueVga());
    Resize(480);
    ShortcutRecord* first = item->CurrentTabRecord()->Shortcuts[0].get();
    const IconPlacement* at = View().PlacementOf(first);
    EXPECT_EQ(at->hit.Width(), 36);
    EXPECT_EQ(at->hit.Height(), 32);
    const Picture& picture = Render();
    EXPECT_LT(
        picture.Count(RECT{at->icon.left, at->icon.top, at->icon.right, at->icon.bottom}, kHostBackground),
        32 * 32)
        << "a picture is drawn at the doubled size";
    item.reset();

    Start(L"\r\n[General]\r\nBehaviorMode=3\r\n[Tab1]\r\nName=One\r\n" + Shortcuts(4));
    EXPECT_EQ(item->View()->GetType(), 3);
    EXPECT_EQ(View().GetHeight(),
              std::max(ScaleY(20), View().ContentHeight(item->CurrentTabRecord()) + ScaleY(2)));
    EXPECT_EQ(View().ScrollRange(item->CurrentTabRecord()), 0) << "a tab that fits does not scroll";
    EXPECT_EQ(View().PlacementOf(item->CurrentTabRecord()->Shortcuts[0].get())->hit.top, ScaleY(2));
}

} // namespace
