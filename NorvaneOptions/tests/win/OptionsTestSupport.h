// Helpers of the options program's component tests: a settings environment in
// a scratch folder, registry values under a throw-away key, message boxes and
// file dialogs answered from a script, and message pumping with a deadline.
#pragma once

#include "ImageLoader.h"
#include "OptionsApp.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace norvane::options::test {

using norvane::test::FailingFileLayer;
using norvane::test::ReadBytes;
using norvane::test::ScratchDir;
using norvane::test::Utf16File;
using norvane::test::WriteBytes;

// The settings environment of a test: the programs folder is a scratch folder,
// files go through a layer that can be made to fail.
class TestEnvironment : public SettingsEnvironment {
public:
    explicit TestEnvironment(std::wstring programs) : m_programs(std::move(programs)) {}
    std::wstring ProgramsFolder() override { return m_programs; }
    bool CreateFolder(const std::wstring& path) override {
        return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    }
    FileLayer& Files() override { return files; }
    void ReportSaveError(const std::wstring& text) override { saveErrors.push_back(text); }

    FailingFileLayer files;
    std::vector<std::wstring> saveErrors;

private:
    std::wstring m_programs;
};

struct ShownMessage {
    std::wstring text;
    std::wstring caption;
    UINT flags;
};

// Runs this thread's messages (through pre, when given) until done() or the
// deadline; true when done.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000,
                      const std::function<bool(MSG&)>& pre = nullptr) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!pre || !pre(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (done()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The fixture: an app over a scratch folder and key; message boxes answered by
// the queued answers (IDOK when none is left), file dialogs by the queued paths
// (cancelled when none is left).
class OptionsTest : public ::testing::Test {
protected:
    OptionsTest()
        : m_environment(m_scratch.WidePath("Program Files")),
          m_app(GetModuleHandleW(nullptr), m_environment) {}

    void SetUp() override {
        CreateDirectoryW(m_scratch.WidePath("Program Files").c_str(), nullptr);
        static int counter = 0;
        m_key = L"Software\\NorvaneOptionsTest\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter);
        m_app.SetRegistryKey(HKEY_CURRENT_USER, m_key);
        m_app.SetTodayKey(HKEY_CURRENT_USER, m_key + L"\\Today");
        m_app.SetDisplayFlags(false, false);
        m_app.SetMessageHandler(
            [this](HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
                m_messages.push_back({text, caption, flags});
                if (m_answers.empty()) {
                    return IDOK;
                }
                const int answer = m_answers.front();
                m_answers.pop_front();
                return answer;
            });
        m_app.SetBroadcastHandler([this] { ++m_broadcasts; });
        // The shortcut editor's dialogs: each takes the next scripted answer;
        // without one it is cancelled, so that no test waits on a person.
        m_app.SetDialogScript([this](HWND dialog, int templateId) {
            m_dialogsShown.push_back(templateId);
            if (m_dialogAnswers.empty()) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            auto answer = std::move(m_dialogAnswers.front());
            m_dialogAnswers.pop_front();
            answer(dialog, templateId);
        });
        m_app.SetFileHandler([this](HWND, const FileRequest& request, std::wstring& path) {
            m_fileRequests.push_back(request);
            if (m_paths.empty()) {
                return false;
            }
            path = m_paths.front();
            m_paths.pop_front();
            return true;
        });
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\NorvaneOptionsTest"); }

    std::wstring SettingsPath() const {
        return m_scratch.WidePath("Program Files") + L"\\Tarsel\\Norvane\\Norvane.ini";
    }
    // Writes Norvane.ini (the text is UTF-16 with its mark on disk).
    void WriteSettings(std::wstring_view text) {
        CreateDirectoryW((m_scratch.WidePath("Program Files") + L"\\Tarsel").c_str(), nullptr);
        CreateDirectoryW((m_scratch.WidePath("Program Files") + L"\\Tarsel\\Norvane").c_str(), nullptr);
        WriteBytes(SettingsPath(), Utf16File(text));
    }
    std::string SettingsBytes() const { return ReadBytes(SettingsPath()); }
    // The settings file as a record.
    void LoadSaved(Settings& settings) { m_app.LoadSettings(settings); }
    // Whether a message box showed the text (with anything in place of its "%s").
    bool Said(UINT textId) const {
        const std::wstring wanted = m_app.Text(textId);
        const std::size_t hole = wanted.find(L"%s");
        const std::wstring before = wanted.substr(0, hole);
        const std::wstring after = hole == std::wstring::npos ? std::wstring() : wanted.substr(hole + 2);
        for (const auto& m : m_messages) {
            if (hole == std::wstring::npos
                    ? m.text == wanted
                    : m.text.size() >= before.size() + after.size() &&
                          m.text.compare(0, before.size(), before) == 0 &&
                          m.text.compare(m.text.size() - after.size(), after.size(), after) == 0) {
                return true;
            }
        }
        return false;
    }

    ImagingService m_imaging; // pictures decode through the imaging service
    ScratchDir m_scratch;
    TestEnvironment m_environment;
    OptionsApp m_app;
    std::wstring m_key;
    std::deque<int> m_answers;
    std::vector<ShownMessage> m_messages;
    std::deque<std::wstring> m_paths;
    std::vector<FileRequest> m_fileRequests;
    int m_broadcasts = 0; // "NorvaneSettingsChanged" posts
    std::deque<std::function<void(HWND, int)>> m_dialogAnswers;
    std::vector<int> m_dialogsShown; // template ids, in order
};

// The item's DLL, copied beside the test program (for the built-in pictures).
inline std::wstring PluginPath() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1) + L"Norvane.dll";
}

// Whether a control is shown in its dialog (the test dialogs themselves are
// never shown on screen).
inline bool Shown(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// Three tabs with a shortcut each, customised tabs.
inline constexpr wchar_t kThreeTabs[] =
    L"\r\n[General]\r\nBehaviorMode=2\r\nIconSpacing=2\r\n"
    L"\r\n[Tab1]\r\nName=Home\r\nUniqueID=1\r\nShortcut1=\\Windows\\Notes.exe\r\n"
    L"\r\n[Tab2]\r\nName=Games\r\nUniqueID=2\r\nShortcut1=\\Windows\\Bubbles.exe\r\n"
    L"\r\n[Tab3]\r\nName=Tools\r\nUniqueID=3\r\n"
    L"\r\n[TaskManagerExceptions]\r\nNotes=1\r\nCalculator=6\r\n";

} // namespace norvane::options::test
