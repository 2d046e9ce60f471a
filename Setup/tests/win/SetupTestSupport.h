// Helpers of the installer's Wine tests: a registry of the test's own (HKLM and
// HKCU of this process redirected to scratch keys), prepared device folders that
// are removed again, a Today window that records refreshes, and an answerer for
// the dialogs the hooks show.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane::setup::test {

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process point at two fresh,
// empty keys while the object lives.
class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;
    bool Ready() const { return m_ready; }

private:
    std::wstring m_root;
    HKEY m_machine = nullptr;
    HKEY m_user = nullptr;
    bool m_ready = false;
};

// Registry shorthands on the (redirected) predefined keys.
void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);
void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value);
// The value, or "<none>" when missing; DWORDs as decimal text.
std::wstring GetValue(HKEY root, const std::wstring& key, const wchar_t* name);
bool KeyPresent(HKEY root, const std::wstring& key);

// Device paths made and removed by a test. Files and folders it creates are
// deleted again in reverse order (folders only when empty, so nothing that was
// there before goes).
class DeviceFiles {
public:
    DeviceFiles() = default;
    ~DeviceFiles();
    DeviceFiles(const DeviceFiles&) = delete;
    DeviceFiles& operator=(const DeviceFiles&) = delete;
    // Creates the folder and its missing parents.
    void Folder(const std::wstring& devicePath);
    // Writes a file (creating its folder), UTF-8 text or the bytes given.
    void File(const std::wstring& devicePath, const std::string& bytes = "x");
    // Copies a host file to a device path.
    void Copy(const std::wstring& hostPath, const std::wstring& devicePath);

private:
    std::vector<std::wstring> m_created;
};

bool DeviceExists(const std::wstring& devicePath);
std::string ReadDeviceFile(const std::wstring& devicePath);
// Deletes a device folder tree (for a clean start).
void WipeDeviceTree(const std::wstring& devicePath);
// A path of the build tree ("Norvane/Norvane.dll") as a host path Wine can open.
std::wstring BuildPath(const std::wstring& relative);

// A Today window of the stand-in's class (with the test's name suffix) that
// calls onRefresh for every WM_SETTINGCHANGE 0xF2 it is sent.
class RecordingToday {
public:
    RecordingToday();
    ~RecordingToday();
    RecordingToday(const RecordingToday&) = delete;
    RecordingToday& operator=(const RecordingToday&) = delete;
    std::function<void()> onRefresh;
    int refreshes = 0;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hwnd = nullptr;
    std::wstring m_class;
};

// Answers the dialogs this thread shows next, from a thread timer that runs in
// their modal loops: the install dialog with the given check box and language,
// the uninstall question with the given button. Records what it saw.
struct InstallSeen {
    bool shown = false;
    bool metersChecked = false;
    int selectedLanguage = -1;
    std::vector<std::wstring> languages;
    bool pictureShown = false;
    bool doneButton = false; // the OK caption button of a full-screen dialog
    bool boldTitle = false;
};
struct QuestionSeen {
    bool shown = false;
    std::wstring caption;
    std::wstring text;
};
class DialogAnswerer {
public:
    DialogAnswerer();
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;
    // Answers for the install dialog; leaving meters at -1 keeps the check box
    // as shown, languageIndex -1 keeps the selection.
    int meters = -1;
    int languageIndex = -1;
    // The button for the uninstall question (IDYES or IDNO).
    int questionButton = IDYES;
    InstallSeen install;
    QuestionSeen question;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Answer(HWND dialog);
    UINT_PTR m_timer = 0;
};

} // namespace norvane::setup::test
