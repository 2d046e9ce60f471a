#include "win/ImageLoader.h"
#include "win/ImageShortcutIcon.h"
#include "ImageWinTestSupport.h"

#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::testing;

namespace {

struct Calls {
    std::wstring systemPath;
    int systemCalls = 0;
    bool systemLarge = false;
    std::wstring bitmapPath;
    int additionalCalls = 0;
};

HBITMAP MakeBitmap(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

ShortcutIconServices Recording(Calls& calls, int bitmapWidth = 40, int bitmapHeight = 20) {
    ShortcutIconServices services;
    services.systemIcon = [&calls](const std::wstring& path, bool large) -> HICON {
        ++calls.systemCalls;
        calls.systemPath = path;
        calls.systemLarge = large;
        return LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION, a shared icon
    };
    services.loadBitmapFile = [&calls, bitmapWidth, bitmapHeight](const std::wstring& path) -> HBITMAP {
        calls.bitmapPath = path;
        return MakeBitmap(bitmapWidth, bitmapHeight);
    };
    services.additionalTargetIcon = [&calls](const ShortcutIconRequest&, const IconDisplay&,
                                             ShortcutIcon& icon) {
        ++calls.additionalCalls;
        return icon.image.CreateFilled(64, 64, 0x00FF00, 255);
    };
    return services;
}

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

} // namespace

TEST(ShortcutIcon, BitmapIconTgaIsABitmap32HalvedToTheIconSize) {
    ImagingService service;
    ScratchFolder folder;
    std::wstring path = folder.Write(L"Big.TGA", SolidTga(64, 64, TgaPixel{1, 2, 3, 255}));
    Calls calls;
    ShortcutIconRequest request;
    request.bitmapIcon = path;
    request.target = L"\\Windows\\calc.lnk";
    ShortcutIcon icon;
    ASSERT_TRUE(LoadShortcutIcon(request, IconDisplay{}, Recording(calls), icon));
    EXPECT_EQ(icon.image.Width(), 16) << "64 x 64 for a small shortcut at 96 dpi is halved twice";
    EXPECT_FALSE(icon.bitmap);
    EXPECT_FALSE(icon.icon);
    EXPECT_EQ(calls.systemCalls, 0);

    // Already loaded: nothing happens.
    request.bitmapIcon = L"";
    ASSERT_TRUE(LoadShortcutIcon(request, IconDisplay{}, Recording(calls), icon));
    EXPECT_EQ(calls.systemCalls, 0);
}

TEST(ShortcutIcon, OtherBitmapIconsAreDeviceBitmapsHalvedByStretching) {
    Calls calls;
    ShortcutIconRequest request;
    request.bitmapIcon = L"\\My Documents\\icon.bmp";
    ShortcutIcon icon;
    ASSERT_TRUE(LoadShortcutIcon(request, IconDisplay{}, Recording(calls, 40, 20), icon));
    EXPECT_EQ(calls.bitmapPath, L"\\My Documents\\icon.bmp");
    EXPECT_TRUE(icon.image.IsEmpty());
    ASSERT_TRUE(icon.bitmap);
    SIZE size = SizeOf(icon.bitmap.get());
    EXPECT_EQ(size.cx, 10) << "40 x 20 is halved to 20 x 10, then to 10 x 5";
    EXPECT_EQ(size.cy, 5);
}

TEST(ShortcutIcon, AdditionalTargetGoesThroughTheHookAndIsSized) {
    Calls calls;
    ShortcutIconRequest request;
    request.additionalTarget = L"special:SoftReset";
    request.target = L"Soft Reset";
    request.large = true;
    IconDisplay vga{192, false, true};
    ShortcutIcon icon;
    ASSERT_TRUE(LoadShortcutIcon(request, vga, Recording(calls), icon));
    EXPECT_EQ(calls.additionalCalls, 1);
    EXPECT_EQ(calls.systemCalls, 0) << "the target's system icon is not asked for";
    EXPECT_EQ(icon.image.Width(), 64) << "large at 192 dpi: 64";

    // In a special tab under true VGA the size is 16 unscaled.
    request.inSpecialTab = true;
    IconDisplay trueVga{96, true, true};
    ShortcutIcon small;
    ASSERT_TRUE(LoadShortcutIcon(request, trueVga, Recording(calls), small));
    EXPECT_EQ(small.image.Width(), 16);

    // Without a hook there is no icon, and no fallback to the system icon.
    ShortcutIconServices noHook = Recording(calls);
    noHook.additionalTargetIcon = nullptr;
    ShortcutIcon none;
    EXPECT_FALSE(LoadShortcutIcon(request, IconDisplay{}, noHook, none));
}

TEST(ShortcutIcon, SystemIconSizeFollowsTheTrueVgaRule) {
    struct Case {
        bool large, special, trueVga, expectLarge;
    };
    const Case cases[] = {
        {true, false, false, true}, {false, false, false, false},
        {false, false, true, true}, // small, true VGA, ordinary tab: large icon
        {false, true, true, false}, // small, true VGA, special tab: small icon
        {true, true, true, true},
    };
    for (const Case& c : cases) {
        Calls calls;
        ShortcutIconRequest request;
        request.target = L"\\Windows\\Start Menu\\Programs\\Calculator.lnk";
        request.large = c.large;
        request.inSpecialTab = c.special;
        ShortcutIcon icon;
        ASSERT_TRUE(LoadShortcutIcon(request, IconDisplay{96, c.trueVga, c.trueVga}, Recording(calls), icon));
        EXPECT_EQ(calls.systemPath, request.target);
        EXPECT_EQ(calls.systemLarge, c.expectLarge)
            << "large " << c.large << " special " << c.special << " trueVga " << c.trueVga;
        icon.icon.ResetUnowned(icon.icon.get()); // a shared system icon: not ours to destroy
    }
    // Nothing to load at all.
    Calls calls;
    ShortcutIcon icon;
    EXPECT_FALSE(LoadShortcutIcon(ShortcutIconRequest{}, IconDisplay{}, Recording(calls), icon));
    EXPECT_EQ(calls.systemCalls, 0);
}

TEST(ShortcutIcon, SystemIconsAreKeptAndSharedWhileTheirFileStaysTheSame) {
    ScratchFolder folder;
    const std::wstring file = folder.Write(L"program.exe", std::vector<std::uint8_t>(100, 0x4D));
    SystemIconCache cache;
    int loads = 0;
    auto load = [&loads]() -> HICON {
        ++loads;
        return CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));
    };
    SharedIcon a = cache.Get(file, true, load);
    SharedIcon b = cache.Get(file, true, load);
    ASSERT_TRUE(a);
    EXPECT_EQ(loads, 1) << "the second request for the same file comes from the cache";
    EXPECT_TRUE(a == b) << "the same icon, shared";
    cache.Clear();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(b.get(), &info)) << "a shortcut's icon outlives the cache";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    cache.Get(file, true, load);
    EXPECT_EQ(loads, 2) << "after Clear the file is asked for again";
    cache.Get(file, false, load);
    EXPECT_EQ(loads, 3) << "the small icon is another entry";
    folder.Write(L"program.exe", std::vector<std::uint8_t>(200, 0x4D));
    SharedIcon changed = cache.Get(file, true, load);
    EXPECT_EQ(loads, 4) << "a changed file is asked for again";
    EXPECT_FALSE(changed == b);

    // No icon for a missing file is remembered too, until the file appears.
    const std::wstring missing = folder.Path() + L"later.exe";
    int misses = 0;
    auto none = [&misses]() -> HICON {
        ++misses;
        return nullptr;
    };
    EXPECT_FALSE(cache.Get(missing, true, none));
    EXPECT_FALSE(cache.Get(missing, true, none));
    EXPECT_EQ(misses, 1);
    folder.Write(L"later.exe", std::vector<std::uint8_t>(10, 1));
    EXPECT_TRUE(cache.Get(missing, true, load));
    EXPECT_EQ(loads, 5) << "the file that appeared is asked for";

    // A shortcut's target goes through the shared call when there is one.
    ShortcutIconServices services;
    services.sharedSystemIcon = [&](const std::wstring& path, bool large) {
        return cache.Get(path, large, load);
    };
    ShortcutIconRequest request;
    request.target = file;
    request.large = true;
    ShortcutIcon first, second;
    ASSERT_TRUE(LoadShortcutIcon(request, IconDisplay{}, services, first));
    ASSERT_TRUE(LoadShortcutIcon(request, IconDisplay{}, services, second));
    EXPECT_TRUE(first.icon == second.icon);
    EXPECT_EQ(loads, 5);
}
