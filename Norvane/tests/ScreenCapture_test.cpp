// Screen capture from the item hosted in the test Today screen: the job runs on
// the item window's timer after the broadcast, writes one file per step (never
// over an earlier one), ends with its question or its message, and the options
// dialog stores what the user changed. The screen is replaced by a known
// picture and the clock by a fixed second.
#include "TodayHost.h"

#include "BmpWriter.h"
#include "CaptureOptionsDialog.h"
#include "Imaging.h"
#include "ImageLoader.h"
#include "Module.h"
#include "ScreenCapture.h"
#include "TextCodec.h"
#include "TodayItemWindow.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"norvane-capture-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount()) + L"\\";
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(folder + name + L"\\");
            } else {
                DeleteFileW((folder + name).c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring CaptureShortcut(int n, const std::wstring& properties) {
    const std::wstring number = std::to_wstring(n);
    return L"Shortcut" + number + L"=Capture\r\nShortcutAdditional" + number +
           L"=special:screencapture\r\nSpecialProperties" + number + L"=" + properties + L"\r\n";
}

class ScreenCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareItemTest();
        folder = TempFolder();
    }

    void TearDown() override {
        item.reset();
        ResetItemRegistry();
        RemoveFolder(folder);
    }

    void StartItem(const std::wstring& properties) {
        WriteSettingsText(L"\r\n[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\n[Tab1]\r\nName=Tools\r\n"
                          L"UniqueID=31\r\n" +
                          CaptureShortcut(1, properties));
        item = std::make_unique<TodayItemWindow>();
        CaptureServices& s = item->Capture().Services();
        s.messageBox = [this](HWND, const std::wstring& text, UINT flags) {
            messages.push_back(text + L" | " + std::to_wstring(flags));
            return answer;
        };
        s.openFolder = [this](const std::wstring& opened) { openedFolders.push_back(opened); };
        s.localTime = [] { return CaptureTime{2007, 12, 3, 6, 34, 18}; };
        s.grab = [this](int bits, ScreenPicture& picture) {
            grabbedDepths.push_back(bits);
            return PaintPicture(bits == 0 ? 32 : bits, picture);
        };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
    }

    // A known picture: four coloured quarters and a white line.
    static bool PaintPicture(int bits, ScreenPicture& picture) {
        if (!picture.Create(37, 23, bits)) {
            return false;
        }
        const COLORREF colours[4] = {RGB(200, 30, 40), RGB(20, 180, 60), RGB(0, 0, 255), RGB(250, 250, 0)};
        for (int q = 0; q < 4; ++q) {
            RECT r{(q % 2) * 18, (q / 2) * 11, (q % 2) * 18 + 19, (q / 2) * 11 + 12};
            HBRUSH brush = CreateSolidBrush(colours[q]);
            FillRect(picture.Dc(), &r, brush);
            DeleteObject(brush);
        }
        RECT line{0, 11, 37, 12};
        FillRect(picture.Dc(), &line, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiFlush();
        return true;
    }

    ShortcutRecord& Capture() { return *item->GetSettings().Tabs().at(0)->Shortcuts.at(0); }

    bool RunCapture() { return item->GetLauncher().ExecuteTarget(Capture()); }

    bool WaitForTheJobToEnd(int timeoutMs = 10000) {
        return host.PumpUntil([this] { return !item->Capture().Busy(); }, timeoutMs);
    }

    std::wstring folder;
    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::vector<std::wstring> messages;
    std::vector<std::wstring> openedFolders;
    std::vector<int> grabbedDepths;
    int answer = IDNO;
};

TEST_F(ScreenCaptureTest, ThreePicturesInOneSecondGetThreeFilesAndTheQuestion) {
    // The folder does not exist yet, two levels deep.
    const std::wstring path = folder + L"new\\deeper";
    StartItem(
        L"count~#~3~#~delay~#~0~#~repeatdelay~#~1~#~promptbeforestarting~#~0~#~promptafterfinishing~#~1~#~"
        L"colordepth~#~16~#~path~#~" +
        path + L"~#~prefix~#~shot_~#~format~#~BMP");
    // A picture already there under the first name is kept as it is.
    ASSERT_TRUE(CreateFolderPath(path));
    const std::wstring first = path + L"\\shot_20071203_063418.bmp";
    const std::string earlier = "an earlier picture";
    {
        HANDLE f = CreateFileW(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, earlier.data(), static_cast<DWORD>(earlier.size()), &written, nullptr);
        CloseHandle(f);
    }
    answer = IDYES;
    const DWORD started = GetTickCount();
    ASSERT_TRUE(RunCapture());
    EXPECT_TRUE(item->Capture().Busy());
    ASSERT_TRUE(WaitForTheJobToEnd());
    const DWORD took = GetTickCount() - started;
    EXPECT_GE(took, 1900u) << "three pictures one second apart";

    const std::vector<std::wstring> expected = {path + L"\\shot_20071203_063418_2.bmp",
                                                path + L"\\shot_20071203_063418_3.bmp",
                                                path + L"\\shot_20071203_063418_4.bmp"};
    EXPECT_EQ(item->Capture().SavedFiles(), expected);
    EXPECT_EQ(ReadFileBytes(first), earlier) << "an earlier file was overwritten";
    EXPECT_EQ(grabbedDepths, (std::vector<int>{16, 16, 16}));

    // Each file is the picture, as our BMP writer lays it out at 16 bits.
    ScreenPicture picture;
    ASSERT_TRUE(PaintPicture(16, picture));
    BmpPicture layout{37, 23, 16, {}};
    const std::vector<std::uint8_t> file = EncodeBmp(layout, picture.Bits());
    for (const std::wstring& name : expected) {
        const std::string bytes = ReadFileBytes(name);
        ASSERT_EQ(bytes.size(), file.size());
        EXPECT_EQ(0, std::memcmp(bytes.data(), file.data(), file.size()));
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"Successfully saved 3 image(s) to:\n" + path +
                               L"\n\nDo you want to open that path now? | " +
                               std::to_wstring(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(openedFolders, std::vector<std::wstring>{path});
}

TEST_F(ScreenCaptureTest, OneJobAtATimeAndTheFormatDecidesTheFile) {
    StartItem(L"count~#~1~#~delay~#~2~#~promptbeforestarting~#~0~#~promptafterfinishing~#~0~#~path~#~" +
              folder + L"~#~prefix~#~cap_~#~format~#~JPG");
    std::vector<UINT> announced;
    item->Capture().Services().announce = [&](UINT delayMs) {
        announced.push_back(delayMs);
        return true;
    };
    ASSERT_TRUE(RunCapture());
    EXPECT_EQ(announced, std::vector<UINT>{2000});
    EXPECT_FALSE(RunCapture()) << "a second capture while one runs";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              L"Screen capture is already in progress.  Please wait before it ends before trying "
              L"again. | " +
                  std::to_wstring(MB_OK | MB_ICONEXCLAMATION));
    // The window's capture timer runs the steps: exactly "JPG" writes JPEG.
    item->StartScreenCapture(0);
    ASSERT_TRUE(WaitForTheJobToEnd());
    ASSERT_EQ(item->Capture().SavedFiles().size(), 1u);
    const std::wstring jpeg = item->Capture().SavedFiles()[0];
    EXPECT_EQ(jpeg, folder + L"cap_20071203_063418.jpg");
    IImage* image = nullptr;
    ASSERT_EQ(ImagingService::Current()->CreateImageFromFile(jpeg.c_str(), &image), S_OK);
    ImageInfo info{};
    image->GetImageInfo(&info);
    image->Release();
    EXPECT_TRUE(IsEqualGUID(info.RawDataFormat, ImageFormatJPEG));
    EXPECT_EQ(info.Width, 37u);
    EXPECT_EQ(info.Height, 23u);
    EXPECT_EQ(messages.size(), 1u) << "no question when PromptAfterFinishing is off";

    Capture().SpecialProperties().Set(L"format", L"jpg");
    ASSERT_TRUE(RunCapture());
    item->StartScreenCapture(0);
    ASSERT_TRUE(WaitForTheJobToEnd());
    ASSERT_EQ(item->Capture().SavedFiles().size(), 1u);
    EXPECT_EQ(item->Capture().SavedFiles()[0], folder + L"cap_20071203_063418.bmp");
    EXPECT_EQ(ReadFileBytes(item->Capture().SavedFiles()[0]).substr(0, 2), "BM");
}

TEST_F(ScreenCaptureTest, AFailedStepStopsTheJobAndKeepsWhatWasSaved) {
    StartItem(L"count~#~2~#~delay~#~0~#~repeatdelay~#~1~#~promptbeforestarting~#~0~#~path~#~" + folder +
              L"~#~prefix~#~p_~#~format~#~BMP");
    int grabs = 0;
    item->Capture().Services().grab = [&](int bits, ScreenPicture& picture) {
        // The second picture cannot be taken.
        return ++grabs == 1 && PaintPicture(bits == 0 ? 32 : bits, picture);
    };
    ASSERT_TRUE(RunCapture());
    ASSERT_TRUE(WaitForTheJobToEnd());
    EXPECT_EQ(grabs, 2);
    ASSERT_EQ(item->Capture().SavedFiles().size(), 1u);
    EXPECT_EQ(ReadFileBytes(item->Capture().SavedFiles()[0]).substr(0, 2), "BM") << "the first file stays";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"There was an error saving the screen capture.  Screen capture aborted. | " +
                               std::to_wstring(MB_OK | MB_ICONSTOP));

    // A folder that cannot be made (a file stands in its place) fails the same way.
    const std::wstring blocker = folder + L"blocker";
    HANDLE f = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
    Capture().SpecialProperties().Set(L"path", blocker + L"\\inside");
    Capture().SpecialProperties().Set(L"count", L"1");
    item->Capture().Services().grab = [](int bits, ScreenPicture& picture) {
        return PaintPicture(32, picture);
    };
    ASSERT_TRUE(RunCapture());
    ASSERT_TRUE(WaitForTheJobToEnd());
    EXPECT_TRUE(item->Capture().SavedFiles().empty());
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(item->Capture().Busy()) << "a new capture may start";
}

// Drives the options dialog from inside its own loop: a thread timer finds it,
// moves a bar and presses a button.
struct DialogDriver {
    static DialogDriver* current;
    int countTo = 0;
    bool pressOk = true;
    std::wstring title, countValue, delayValue, repeatValue, countLabel, cancelText;
    bool done = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        DialogDriver& self = *current;
        // Only a dialog of this thread: other test programs run beside this
        // one on the same display, and pressing OK on one of theirs would
        // leave ours open for ever.
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) {
                wchar_t name[16] = L"";
                GetClassNameW(window, name, 16);
                if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) {
                    return TRUE;
                }
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || self.done) {
            return;
        }
        auto text = [dialog](int id) {
            wchar_t buffer[128] = L"";
            GetDlgItemTextW(dialog, id, buffer, 128);
            return std::wstring(buffer);
        };
        wchar_t caption[128] = L"";
        GetWindowTextW(dialog, caption, 128);
        self.title = caption;
        self.countLabel = text(captureoptions::kCountLabel);
        self.cancelText = text(IDCANCEL);
        HWND bar = GetDlgItem(dialog, captureoptions::kCountBar);
        if (self.countTo > 0) {
            SendMessageW(bar, TBM_SETPOS, TRUE, self.countTo);
            SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, self.countTo),
                         reinterpret_cast<LPARAM>(bar));
        }
        self.countValue = text(captureoptions::kCountValue);
        self.delayValue = text(captureoptions::kDelayValue);
        self.repeatValue = text(captureoptions::kRepeatValue);
        self.done = true;
        KillTimer(nullptr, timer);
        PostMessageW(dialog, WM_COMMAND, self.pressOk ? IDOK : IDCANCEL, 0);
    }
};
DialogDriver* DialogDriver::current = nullptr;

TEST_F(ScreenCaptureTest, TheOptionsDialogStoresChangedValuesBeforeTheCaptureStarts) {
    StartItem(L"count~#~1~#~delay~#~99~#~repeatdelay~#~2~#~promptbeforestarting~#~1~#~path~#~" + folder +
              L"~#~format~#~BMP");
    std::vector<UINT> announced;
    item->Capture().Services().announce = [&](UINT delayMs) {
        announced.push_back(delayMs);
        return true;
    };
    DialogDriver driver;
    DialogDriver::current = &driver;
    driver.countTo = 5;
    SetTimer(nullptr, 0, 50, &DialogDriver::Tick);
    ASSERT_TRUE(RunCapture());
    ASSERT_TRUE(driver.done);
    EXPECT_EQ(driver.title, L"Norvane Capture Options");
    EXPECT_EQ(driver.countLabel, L"Number of Captures");
    EXPECT_EQ(driver.cancelText, L"Cancel");
    EXPECT_EQ(driver.countValue, L"5");
    EXPECT_EQ(driver.delayValue, L"15 sec") << "the stored 99 is held to the bar's range";
    EXPECT_EQ(driver.repeatValue, L"2 sec");
    // Written back, lower-cased, and saved before the capture was announced.
    EXPECT_EQ(Capture().SpecialProperties().Get(L"count"), L"5");
    EXPECT_EQ(Capture().SpecialProperties().Get(L"delay"), L"15");
    EXPECT_EQ(Capture().SpecialProperties().Get(L"repeatdelay"), L"2");
    const std::string saved = ReadFileBytes(SettingsFilePath());
    const std::wstring text = Utf16LeBytesToText(saved.substr(2));
    EXPECT_NE(text.find(L"count~#~5~#~delay~#~15"), std::wstring::npos);
    EXPECT_EQ(announced, std::vector<UINT>{15000});
    item->Capture().Cancel();

    // Cancel starts nothing and changes nothing.
    driver = DialogDriver{};
    driver.countTo = 9;
    driver.pressOk = false;
    SetTimer(nullptr, 0, 50, &DialogDriver::Tick);
    EXPECT_FALSE(RunCapture());
    EXPECT_TRUE(driver.done);
    EXPECT_FALSE(item->Capture().Busy());
    EXPECT_EQ(Capture().SpecialProperties().Get(L"count"), L"5");
    EXPECT_EQ(announced.size(), 1u);
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), saved);
}

} // namespace
