// Opening files and starting programs the device's way: CE shortcuts, device
// paths, arguments only on the command line, C:\ as the current folder.
#include "CeLaunch.h"

#include "CeShortcut.h"
#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

#include <string>

namespace {

using norvane::platform::test::ThisProgram;

class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
        m_folder = L"C:\\NvLaunch" + tag;
        ASSERT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
        m_deviceFolder = norvane::platform::ToDevicePath(m_folder);
        m_echo = m_folder + L"\\echo.txt";
    }
    void TearDown() override { norvane::platform::test::RemoveTree(m_folder); }

    void WriteText(const std::wstring& hostPath, const std::string& bytes) {
        HANDLE h = CreateFileW(hostPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    // The child's echo: its command line and its current folder.
    bool ReadEcho(std::wstring& commandLine, std::wstring& folder) {
        HANDLE h =
            CreateFileW(m_echo.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        std::wstring text(GetFileSize(h, nullptr) / sizeof(wchar_t), L'\0');
        DWORD read = 0;
        ReadFile(h, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
        CloseHandle(h);
        size_t split = text.find(L'\n');
        if (split == std::wstring::npos) {
            return false;
        }
        commandLine = text.substr(0, split);
        folder = text.substr(split + 1, text.find(L'\n', split + 1) - split - 1);
        return true;
    }
    static void WaitAndClose(HANDLE process) {
        ASSERT_NE(process, nullptr);
        EXPECT_EQ(WaitForSingleObject(process, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD code = 1;
        GetExitCodeProcess(process, &code);
        EXPECT_EQ(code, 0u) << "the child failed";
        CloseHandle(process);
    }
    std::wstring m_folder;
    std::wstring m_deviceFolder;
    std::wstring m_echo;
};

TEST_F(Launch, CreateProcessPutsTheQuotedProgramBeforeTheArguments) {
    std::wstring arguments = L"--platform-child echo \"" + m_echo + L"\"";
    PROCESS_INFORMATION info{};
    std::wstring program = norvane::platform::ToDevicePath(ThisProgram());
    ASSERT_TRUE(CeCreateProcess(program.c_str(), arguments.c_str(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, nullptr, &info));
    CloseHandle(info.hThread);
    WaitAndClose(info.hProcess);
    std::wstring commandLine, folder;
    ASSERT_TRUE(ReadEcho(commandLine, folder));
    EXPECT_EQ(commandLine, L"\"" + norvane::platform::ToHostPath(program) + L"\" " + arguments);
    EXPECT_EQ(folder, L"C:\\") << "device programs start in the device root";
}

TEST_F(Launch, ShellExecuteOpensACeShortcutWithItsArguments) {
    // The shortcut names the program by its device path; the caller adds more.
    std::wstring program = norvane::platform::ToDevicePath(ThisProgram());
    std::wstring shortcut = m_folder + L"\\Echo.lnk";
    std::wstring text = norvane::FormatCeShortcut(program, L"--platform-child echo");
    WriteText(shortcut, std::string(text.begin(), text.end()));

    std::wstring parameters = L"\"" + m_echo + L"\"";
    std::wstring deviceShortcut = norvane::platform::ToDevicePath(shortcut);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = deviceShortcut.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = 0; // shown, as the device does
    ASSERT_TRUE(CeShellExecuteEx(&info)) << GetLastError();
    EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
    WaitAndClose(info.hProcess);
    std::wstring commandLine, folder;
    ASSERT_TRUE(ReadEcho(commandLine, folder));
    EXPECT_EQ(commandLine, L"\"" + ThisProgram() + L"\" --platform-child echo " + parameters);
    EXPECT_EQ(folder, L"C:\\");
}

TEST_F(Launch, ResolvesShortcutsBareNamesAndUnquotedTargetsWithBlanks) {
    // A program in a folder with blanks, named by an unquoted target.
    std::wstring spaced = m_folder + L"\\My Tools";
    ASSERT_TRUE(CreateDirectoryW(spaced.c_str(), nullptr));
    WriteText(spaced + L"\\tool.exe", "MZ");
    std::wstring target = norvane::platform::ToDevicePath(spaced + L"\\tool.exe");
    std::wstring text = std::to_wstring(target.size() + 3) + L"#" + target + L" -a";
    WriteText(m_folder + L"\\Tool.lnk", std::string(text.begin(), text.end()));
    auto resolved = norvane::platform::ResolveLaunchTarget(m_deviceFolder + L"\\Tool.lnk", L"-b");
    EXPECT_EQ(resolved.hostPath, spaced + L"\\tool.exe");
    EXPECT_EQ(resolved.arguments, L"-a -b");

    // A shortcut to a shortcut is followed; a loop ends.
    std::wstring outer = norvane::FormatCeShortcut(m_deviceFolder + L"\\Tool.lnk", L"-outer");
    WriteText(m_folder + L"\\Outer.lnk", std::string(outer.begin(), outer.end()));
    resolved = norvane::platform::ResolveLaunchTarget(m_deviceFolder + L"\\Outer.lnk", L"");
    EXPECT_EQ(resolved.hostPath, spaced + L"\\tool.exe");
    EXPECT_EQ(resolved.arguments, L"-a -outer");
    std::wstring loop = norvane::FormatCeShortcut(m_deviceFolder + L"\\Loop.lnk", L"");
    WriteText(m_folder + L"\\Loop.lnk", std::string(loop.begin(), loop.end()));
    resolved = norvane::platform::ResolveLaunchTarget(m_deviceFolder + L"\\Loop.lnk", L"");
    EXPECT_EQ(resolved.hostPath, m_folder + L"\\Loop.lnk") << "a loop stops after a few steps";

    // A bare name is looked for in \Windows.
    resolved = norvane::platform::ResolveLaunchTarget(L"notepad.exe", L"");
    EXPECT_EQ(_wcsicmp(resolved.hostPath.c_str(), L"C:\\Windows\\notepad.exe"), 0) << resolved.hostPath;
    resolved = norvane::platform::ResolveLaunchTarget(L"notepad", L"");
    EXPECT_EQ(_wcsicmp(resolved.hostPath.c_str(), L"C:\\Windows\\notepad.exe"), 0) << resolved.hostPath;
    // A broken shortcut file stays what it is.
    WriteText(m_folder + L"\\Broken.lnk", "garbage");
    resolved = norvane::platform::ResolveLaunchTarget(m_deviceFolder + L"\\Broken.lnk", L"x");
    EXPECT_EQ(resolved.hostPath, m_folder + L"\\Broken.lnk");
    EXPECT_EQ(resolved.arguments, L"x");
}

TEST_F(Launch, MissingFilesFailWithoutStartingAnything) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    std::wstring missing = m_deviceFolder + L"\\missing.exe";
    info.lpFile = missing.c_str();
    EXPECT_FALSE(CeShellExecuteEx(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_LE(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
    PROCESS_INFORMATION process{};
    EXPECT_FALSE(CeCreateProcess(missing.c_str(), L"", nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                                 &process));
}

TEST_F(Launch, IconsOfShortcutsAreTheirTargetsIcons) {
    std::wstring program = norvane::platform::ToDevicePath(ThisProgram());
    std::wstring text = norvane::FormatCeShortcut(program, L"");
    WriteText(m_folder + L"\\Prog.lnk", std::string(text.begin(), text.end()));
    SHFILEINFOW viaShortcut{};
    SHFILEINFOW direct{};
    ASSERT_NE(CeSHGetFileInfo((m_deviceFolder + L"\\Prog.lnk").c_str(), 0, &viaShortcut, sizeof viaShortcut,
                              SHGFI_SYSICONINDEX | SHGFI_SMALLICON),
              0u);
    ASSERT_NE(
        CeSHGetFileInfo(program.c_str(), 0, &direct, sizeof direct, SHGFI_SYSICONINDEX | SHGFI_SMALLICON),
        0u);
    EXPECT_EQ(viaShortcut.iIcon, direct.iIcon) << "the shortcut's icon is its target's";
    SHFILEINFOW root{};
    ASSERT_NE(CeSHGetFileInfo(L"\\", 0, &root, sizeof root, SHGFI_ICON | SHGFI_LARGEICON), 0u);
    EXPECT_NE(root.hIcon, nullptr);
    DestroyIcon(root.hIcon);
}

// Draws an icon onto white and returns the pixels, to compare two icons.
std::vector<DWORD> IconPixels(HICON icon) {
    constexpr int kSize = 32;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = kSize;
    bi.bmiHeader.biHeight = -kSize;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    RECT rc{0, 0, kSize, kSize};
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits),
                              static_cast<const DWORD*>(bits) + kSize * kSize);
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return pixels;
}

TEST_F(Launch, AProgramsSystemIconIsItsOwnIcon) {
    // Wine's shell gives programs a generic icon in a prefix without file
    // classes; on the device a program shows its own.
    const wchar_t* program = L"C:\\windows\\notepad.exe";
    HICON own = nullptr;
    ASSERT_GT(ExtractIconExW(program, 0, &own, nullptr, 1), 0u) << "notepad.exe carries an icon";
    std::wstring text = norvane::FormatCeShortcut(L"\\Windows\\notepad.exe", L"");
    WriteText(m_folder + L"\\Notepad.lnk", std::string(text.begin(), text.end()));
    SHFILEINFOW direct{};
    SHFILEINFOW viaShortcut{};
    ASSERT_NE(
        CeSHGetFileInfo(L"\\Windows\\notepad.exe", 0, &direct, sizeof direct, SHGFI_ICON | SHGFI_LARGEICON),
        0u);
    ASSERT_NE(CeSHGetFileInfo((m_deviceFolder + L"\\Notepad.lnk").c_str(), 0, &viaShortcut,
                              sizeof viaShortcut, SHGFI_ICON | SHGFI_LARGEICON),
              0u);
    ASSERT_NE(direct.hIcon, nullptr);
    ASSERT_NE(viaShortcut.hIcon, nullptr);
    EXPECT_TRUE(IconPixels(direct.hIcon) == IconPixels(own)) << "the program's own icon";
    EXPECT_TRUE(IconPixels(viaShortcut.hIcon) == IconPixels(own)) << "through its shortcut too";
    DestroyIcon(own);
    DestroyIcon(direct.hIcon);
    DestroyIcon(viaShortcut.hIcon);
}

} // namespace
