// The service's start: the date text it writes and reads back, the quick
// restart and its prompt modes, and what a safe-mode start leaves alone.
#include "SafeModeStart.h"
#include "SafeModeTestSupport.h"

#include <gtest/gtest.h>

using namespace norvane::safemode;
using namespace norvane::safemode::test;

namespace {

const std::wstring kService = L"Services\\NVGD";

SYSTEMTIME At(int hour, int minute, int second) {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 7;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return time;
}

class SafeModeStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareDevice(device);
        device.SetString(device.Machine(), kService, L"Prefix", L"NVG");
    }
    StartDecision Start(const SYSTEMTIME& now) { return DecideStart(safeModeSwitch, device.Machine(), now); }
    std::wstring LastReset() { return device.String(device.Machine(), kService, L"LastReset"); }

    ScratchDevice device;
    SafeModeSwitch safeModeSwitch{device.Places()};
};

} // namespace

TEST(SafeModeDateTest, TextReadsBackToTheSameSecond) {
    for (const SYSTEMTIME& time : {At(0, 0, 0), At(9, 5, 7), At(23, 59, 59), At(12, 0, 1)}) {
        const std::wstring text = DateText(time);
        ASSERT_FALSE(text.empty());
        const auto parsed = ParseDateText(text);
        ASSERT_TRUE(parsed.has_value()) << std::string(text.begin(), text.end());
        EXPECT_EQ(*parsed, Ticks(time)) << std::string(text.begin(), text.end());
    }
    EXPECT_FALSE(ParseDateText(L""));
    EXPECT_FALSE(ParseDateText(L"yesterday-ish"));
    EXPECT_FALSE(ParseDateText(L"99/99/2026 99:99:99"));
}

TEST_F(SafeModeStartTest, QuickRestartsAndPromptModes) {
    const HKEY m = device.Machine();
    // First start with no LastReset: mode 2 shows nothing; the time is written.
    device.SetDword(m, kService, L"PromptMode", 2);
    device.SetDword(m, kService, L"ForceResetEnabled", 0);
    StartDecision d = Start(At(10, 0, 0));
    EXPECT_FALSE(d.showPrompt);
    EXPECT_FALSE(d.autoSafeMode);
    EXPECT_EQ(LastReset(), DateText(At(10, 0, 0)));

    // Within two minutes: the bar shows; LastReset moves on.
    d = Start(At(10, 2, 0));
    EXPECT_TRUE(d.showPrompt);
    EXPECT_FALSE(d.autoSafeMode);
    EXPECT_EQ(LastReset(), DateText(At(10, 2, 0)));

    // Two minutes and a second later: a normal start again.
    d = Start(At(10, 4, 1));
    EXPECT_FALSE(d.showPrompt);

    // Forced reset: automatic safe mode, and LastReset stays at the start before.
    device.SetDword(m, kService, L"ForceResetEnabled", 1);
    d = Start(At(10, 5, 0));
    EXPECT_TRUE(d.showPrompt);
    EXPECT_TRUE(d.autoSafeMode);
    EXPECT_EQ(LastReset(), DateText(At(10, 4, 1)));

    // A LastReset in the future (the clock was set back) is no quick restart.
    d = Start(At(9, 0, 0));
    EXPECT_FALSE(d.autoSafeMode);
    EXPECT_EQ(LastReset(), DateText(At(9, 0, 0)));

    // Mode 0 never shows the bar, but a forced reset still happens.
    device.SetDword(m, kService, L"PromptMode", 0);
    d = Start(At(9, 1, 0));
    EXPECT_FALSE(d.showPrompt);
    EXPECT_TRUE(d.autoSafeMode);

    // A LastReset that does not parse counts as absent and is overwritten.
    device.SetString(m, kService, L"LastReset", L"not a date");
    d = Start(At(9, 1, 30));
    EXPECT_FALSE(d.autoSafeMode);
    EXPECT_EQ(LastReset(), DateText(At(9, 1, 30)));

    // PromptMode absent: the bar shows at every start.
    HKEY service = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m, kService.c_str(), 0, KEY_ALL_ACCESS, &service), ERROR_SUCCESS);
    RegDeleteValueW(service, L"PromptMode");
    RegDeleteValueW(service, L"ForceResetEnabled");
    RegCloseKey(service);
    d = Start(At(11, 0, 0));
    EXPECT_TRUE(d.showPrompt);
    EXPECT_FALSE(d.autoSafeMode);
    EXPECT_EQ(d.startMode, 0u);
}

TEST_F(SafeModeStartTest, SafeModeStartRestoresNothingAndTheNextStartEverything) {
    const HKEY m = device.Machine();
    const auto before = device.Export(m, L"Software\\Microsoft\\Today");
    safeModeSwitch.DisableAll();
    device.SetDword(m, kService, L"SafeMode", 2);
    device.SetString(m, kService, L"LastReset", DateText(At(8, 0, 0)));
    const auto during = device.Export(m, L"Software\\Microsoft\\Today");

    StartDecision d = Start(At(8, 0, 30));
    EXPECT_EQ(d.startMode, 2u);
    EXPECT_TRUE(d.showPrompt);
    EXPECT_FALSE(d.autoSafeMode);
    EXPECT_EQ(device.Dword(m, kService, L"SafeMode"), 0xFFFFFFFFu) << "SafeMode is read once";
    EXPECT_EQ(device.Export(m, L"Software\\Microsoft\\Today"), during)
        << "a safe-mode start restores nothing";
    EXPECT_EQ(LastReset(), DateText(At(8, 0, 0)));

    d = Start(At(8, 1, 0));
    EXPECT_EQ(d.startMode, 0u);
    EXPECT_EQ(device.Export(m, L"Software\\Microsoft\\Today"), before);
    EXPECT_TRUE(device.Exists(L"\\Windows\\StartUp\\Check.lnk"));
}

TEST_F(SafeModeStartTest, WithoutTheServiceKeyNothingIsWritten) {
    RegDeleteTreeW(device.Machine(), kService.c_str());
    const StartDecision d = Start(At(10, 0, 0));
    EXPECT_EQ(d.startMode, 0u);
    EXPECT_TRUE(d.showPrompt);
    EXPECT_FALSE(device.HasKey(device.Machine(), kService));
}
