// The special commands from the item hosted in the test Today screen: what
// each asks of the device (recorded through the dispatcher's seams), the three
// messages answered by the item window itself, and the phone library.
#include "TodayHost.h"

#include "CePower.h"
#include "CeShell.h"
#include "Module.h"
#include "Telephony.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

// One ordinary tab of special shortcuts, a second tab and a hidden third.
const wchar_t kSettings[] =
    L"\r\n[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\nRefreshOnMinimize=0\r\n"
    L"[Tab1]\r\nName=Tools\r\nUniqueID=21\r\n"
    L"Shortcut1=Reset\r\nShortcutAdditional1=special:softreset\r\nSpecialProperties1=promptbeforereset~#~"
    L"1\r\n"
    L"Shortcut2=Reset "
    L"now\r\nShortcutAdditional2=special:softreset\r\nSpecialProperties2=promptbeforereset~#~yes\r\n"
    L"Shortcut3=Wrong case\r\nShortcutAdditional3=special:SoftReset\r\n"
    L"Shortcut4=Off\r\nShortcutAdditional4=special:poweroff\r\n"
    L"Shortcut5=Turn\r\nShortcutAdditional5=special:rotate\r\nSpecialProperties5=mode~#~Right-Only\r\n"
    L"Shortcut6=Text\r\nShortcutAdditional6=special:sms\r\n"
    L"SpecialProperties6=phonenumber~#~+1 555 0100~#~smsdefaultbody~#~On my way\r\n"
    L"Shortcut7=Blank text\r\nShortcutAdditional7=special:sms\r\n"
    L"Shortcut8=Call\r\nShortcutAdditional8=special:phonecall\r\n"
    L"SpecialProperties8=phonenumber~#~5550123~#~promptbeforedialing~#~yes\r\n"
    L"Shortcut9=Call asking\r\nShortcutAdditional9=special:phonecall\r\n"
    L"SpecialProperties9=phonenumber~#~5550199~#~promptbeforedialing~#~1\r\n"
    L"Shortcut10=No number\r\nShortcutAdditional10=special:phonecall\r\n"
    L"Shortcut11=Games "
    L"menu\r\nShortcutAdditional11=special:tabmenu\r\nSpecialProperties11=uniquetabid~#~22\r\n"
    L"Shortcut12=To "
    L"games\r\nShortcutAdditional12=special:jumptotab\r\nSpecialProperties12=uniquetabid~#~22\r\n"
    L"Shortcut13=To "
    L"secret\r\nShortcutAdditional13=special:jumptotab\r\nSpecialProperties13=uniquetabid~#~23\r\n"
    L"Shortcut14=Fold\r\nShortcutAdditional14=special:minmax\r\n"
    L"[Tab2]\r\nName=Games\r\nUniqueID=22\r\nShortcut1=\\Windows\\game.exe\r\n"
    L"[Tab3]\r\nName=Secret\r\nUniqueID=23\r\nHidden=1\r\n";

class SpecialCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareItemTest(); }

    void TearDown() override {
        item.reset();
        ResetItemRegistry();
    }

    void StartItem() {
        WriteSettingsText(kSettings);
        item = std::make_unique<TodayItemWindow>();
        LauncherServices& launcher = item->GetLauncher().Services();
        launcher.shellExecute = [this](SHELLEXECUTEINFOW& info) {
            log.push_back(L"open " + std::wstring(info.lpFile ? info.lpFile : L""));
            return TRUE;
        };
        launcher.messageBox = [this](HWND, const std::wstring& text, UINT) {
            log.push_back(L"launcher says " + text);
            return IDOK;
        };
        launcher.chooseFromTabMenu = [this](HWND, TabRecord& tab, POINT at) {
            log.push_back(L"tab menu " + tab.Name + L" at " + std::to_wstring(at.x) + L"," +
                          std::to_wstring(at.y));
            return menuChoice;
        };
        SpecialCommandServices& s = item->Specials().Services();
        s.messageBox = [this](HWND owner, const std::wstring& text, UINT flags) {
            log.push_back(L"ask " + text + L" flags " + std::to_wstring(flags) +
                          (owner == item->Hwnd() ? L"" : L" (other owner)"));
            return answer;
        };
        s.exitWindows = [this](UINT flags, DWORD reason) {
            log.push_back(L"exit windows " + std::to_wstring(flags) + L" " + std::to_wstring(reason));
            return TRUE;
        };
        s.keyEvent = [this](BYTE key, DWORD flags) {
            log.push_back(L"key " + std::to_wstring(key) + L" " + std::to_wstring(flags));
        };
        s.changeDisplaySettings = [this](DEVMODEW& mode, DWORD flags) {
            if (flags & CDS_TEST) {
                log.push_back(L"display test fields " + std::to_wstring(mode.dmFields));
                mode.dmDisplayOrientation = orientation;
            } else {
                log.push_back(L"display set " + std::to_wstring(mode.dmDisplayOrientation) + L" flags " +
                              std::to_wstring(flags) + L" fields " + std::to_wstring(mode.dmFields));
                orientation = mode.dmDisplayOrientation;
            }
            return static_cast<LONG>(DISP_CHANGE_SUCCESSFUL);
        };
        s.shellExecute = [this](SHELLEXECUTEINFOW& info) {
            log.push_back(
                L"execute " + std::wstring(info.lpFile ? info.lpFile : L"") + L" | " +
                (info.lpParameters ? info.lpParameters : L"") +
                (info.lpVerb || info.hwnd || info.lpDirectory ? L" (verb, window or folder)" : L""));
            return TRUE;
        };
        s.placeCall = [this](const std::wstring& number, bool prompt) {
            log.push_back(L"call " + number + (prompt ? L" asking first" : L" at once"));
        };
        s.messagePos = [] { return static_cast<DWORD>(MAKELONG(123, 234)); };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
    }

    ShortcutRecord& Shortcut(size_t tab, size_t index) {
        return *item->GetSettings().Tabs().at(tab)->Shortcuts.at(index);
    }

    // Runs the shortcut's command as a tap does (through the launcher) and
    // returns what it did.
    std::vector<std::wstring> Run(size_t index, bool* result = nullptr) {
        log.clear();
        const bool ran = item->GetLauncher().ExecuteTarget(Shortcut(0, index));
        if (result) {
            *result = ran;
        }
        return log;
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::vector<std::wstring> log;
    int answer = IDNO;
    int menuChoice = 0;
    DWORD orientation = DMDO_0;
};

using Log = std::vector<std::wstring>;

TEST_F(SpecialCommandsTest, SoftResetAsksFirstAndRestartsOnlyOnYes) {
    StartItem();
    const std::wstring question = L"ask Are you sure you want to soft-reset the device? flags " +
                                  std::to_wstring(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
    bool ran = true;
    answer = IDNO;
    EXPECT_EQ(Run(0, &ran), (Log{question}));
    EXPECT_FALSE(ran) << "a refused question is a launch that did not happen";
    answer = IDYES;
    EXPECT_EQ(Run(0, &ran), (Log{question, L"exit windows " + std::to_wstring(EWX_REBOOT) + L" 0"}));
    EXPECT_TRUE(ran);
    // Only "1" asks; the capitalised name is no command at all.
    EXPECT_EQ(Run(1, &ran), (Log{L"exit windows " + std::to_wstring(EWX_REBOOT) + L" 0"}));
    EXPECT_EQ(Run(2, &ran), Log{});
    EXPECT_TRUE(ran);
}

TEST_F(SpecialCommandsTest, PowerOffPressesAndReleasesThePowerKeySilently) {
    StartItem();
    EXPECT_EQ(Run(3), (Log{L"key 223 " + std::to_wstring(KEYEVENTF_SILENT),
                           L"key 223 " + std::to_wstring(KEYEVENTF_SILENT | KEYEVENTF_KEYUP)}));
}

TEST_F(SpecialCommandsTest, RotateReadsTheOrientationThenTurnsByItsMode) {
    StartItem();
    const std::wstring test = L"display test fields " + std::to_wstring(DM_DISPLAYORIENTATION);
    auto set = [](DWORD to) {
        return L"display set " + std::to_wstring(to) + L" flags " + std::to_wstring(CDS_RESET) + L" fields " +
               std::to_wstring(DM_DISPLAYORIENTATION);
    };
    // "Right-Only" counts as right-only: 0 -> 270 -> 180 -> 90 -> 0.
    for (DWORD to : {DWORD(DMDO_270), DWORD(DMDO_180), DWORD(DMDO_90), DWORD(DMDO_0)}) {
        EXPECT_EQ(Run(4), (Log{test, set(to)}));
        EXPECT_EQ(orientation, to);
    }
    // Left-restore, the default of a new shortcut: there and back.
    Shortcut(0, 4).SpecialProperties().Set(L"mode", L"");
    Run(4);
    EXPECT_EQ(orientation, static_cast<DWORD>(DMDO_90));
    Run(4);
    EXPECT_EQ(orientation, static_cast<DWORD>(DMDO_0));
}

TEST_F(SpecialCommandsTest, SmsStartsTheMessagingProgramWithQuotedFields) {
    StartItem();
    EXPECT_EQ(Run(5), (Log{L"execute tmail.exe | -to \"+1 555 0100\" -body \"On my way\" -service \"SMS\""}));
    EXPECT_EQ(Run(6), (Log{L"execute tmail.exe | -to \"\" -body \"\" -service \"SMS\""}));
}

TEST_F(SpecialCommandsTest, PhoneCallsNeedANumberAndAskFirstOnlyForOne) {
    StartItem();
    bool ran = false;
    EXPECT_EQ(Run(7, &ran), (Log{L"call 5550123 at once"}));
    EXPECT_TRUE(ran);
    EXPECT_EQ(Run(8, &ran), (Log{L"call 5550199 asking first"}));
    EXPECT_EQ(Run(9, &ran), (Log{L"ask There is no phone number associated with this shortcut. flags " +
                                 std::to_wstring(MB_OK | MB_ICONEXCLAMATION)}));
    EXPECT_FALSE(ran);
}

TEST_F(SpecialCommandsTest, TabMenuJumpAndMinMaxAreAnsweredByTheItemWindow) {
    StartItem();
    bool ran = true;
    // The tab menu opens at the last message's position; nothing chosen is nothing done.
    menuChoice = 0;
    EXPECT_EQ(Run(10, &ran), (Log{L"tab menu Games at 123,234"}));
    EXPECT_FALSE(ran);
    menuChoice = 1;
    EXPECT_EQ(Run(10, &ran), (Log{L"tab menu Games at 123,234", L"open \\Windows\\game.exe"}));
    EXPECT_TRUE(ran);

    ASSERT_EQ(item->CurrentTab(), 0);
    EXPECT_EQ(Run(11, &ran), Log{});
    EXPECT_TRUE(ran);
    EXPECT_EQ(item->CurrentTab(), 1) << "jumped to Games";
    EXPECT_EQ(Run(12, &ran), (Log{L"launcher says Cannot jump to a hidden tab"}));
    EXPECT_FALSE(ran);
    EXPECT_EQ(item->CurrentTab(), 1);

    // Minimize, then maximize again.
    EXPECT_EQ(Run(13, &ran), Log{});
    EXPECT_TRUE(ran);
    ASSERT_TRUE(host.PumpUntil([this] { return item->View()->GetType() == viewtype::kMinimized; }));
    Run(13, &ran);
    EXPECT_TRUE(ran);
    EXPECT_NE(item->View()->GetType(), viewtype::kMinimized);
}

// The device's own phone library, as a phone edition has it.
std::wstring DevicePhoneLibrary(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"..\\..\\device\\bin\\" + name;
}

std::string DeviceLogTail(std::size_t from) {
    const std::string log = ReadFileBytes(L"C:\\Windows\\device.log");
    return log.size() > from ? log.substr(from) : std::string();
}

TEST(Telephony, ThePhoneLibraryIsFoundByItsCallEntryAndPlacesCalls) {
    const std::wstring phone = DevicePhoneLibrary(L"phone.dll");
    EXPECT_TRUE(PhoneAvailable(phone.c_str()));
    EXPECT_FALSE(PhoneAvailable(L"no-such-phone.dll"));
    // A library without the entry is no phone.
    EXPECT_FALSE(PhoneAvailable(DevicePhoneLibrary(L"coredll.dll").c_str()));

    const std::size_t before = ReadFileBytes(L"C:\\Windows\\device.log").size();
    EXPECT_TRUE(PlacePhoneCall(L"+1 555 0100", true, phone.c_str()));
    EXPECT_TRUE(PlacePhoneCall(L"5550123", false, phone.c_str()));
    EXPECT_EQ(DeviceLogTail(before),
              "phone.dll|PhoneMakeCall number=\"+1 555 0100\" flags=PMCF_PROMPTBEFORECALLING\r\n"
              "phone.dll|PhoneMakeCall number=\"5550123\" flags=PMCF_DEFAULT\r\n");
    EXPECT_FALSE(PlacePhoneCall(L"5550123", false, L"no-such-phone.dll"));
}

} // namespace
