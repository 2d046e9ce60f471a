// What every part of the options program shares: its instance and texts (the
// language module first), the display flags that decide how its dialogs are
// scaled, the registered message it broadcasts, the settings environment, and
// the user's answers to questions and file dialogs, which tests can answer
// instead of a person.
#pragma once

#include "OptionsResource.h"
#include "SettingsEnvironment.h"
#include "StringLookup.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace norvane {
class Settings;
}

namespace norvane::options {

namespace names {
inline constexpr wchar_t kFrameClass[] = L"NorvaneOptionsFrame";
inline constexpr wchar_t kSettingsChangedMessage[] = L"NorvaneSettingsChanged";
inline constexpr wchar_t kRegistryKey[] = L"Software\\Tarsel\\Norvane";
inline constexpr wchar_t kTrueVgaOptionsValue[] = L"TrueVGAOptions";
inline constexpr wchar_t kCurrentTabValue[] = L"CurrentTab";
inline constexpr wchar_t kThemePathValue[] = L"ThemePath";
inline constexpr wchar_t kMinimizeOnRefreshValue[] = L"MinimizeOnRefresh";
inline constexpr wchar_t kImageBrowsePathValue[] = L"CurrentImageBrowsePath";
inline constexpr wchar_t kTabImageBrowsePathValue[] = L"CurrentTabImageBrowsePath";
inline constexpr wchar_t kTodayKey[] = L"Software\\Microsoft\\Today";
inline constexpr wchar_t kSkinValue[] = L"Skin";
inline constexpr wchar_t kUseStartImageValue[] = L"UseStartImage";
inline constexpr wchar_t kCabinetInstaller[] = L"\\Windows\\wceload.exe";
inline constexpr wchar_t kPluginModule[] = L"\\Windows\\Norvane.dll";
} // namespace names

// A file dialog's request: the filter pairs ("Configuration Files (*.ini)",
// "*.ini", ...), the proposed name and, for saving, the default extension.
struct FileRequest {
    bool save = false;
    std::vector<std::pair<std::wstring, std::wstring>> filters;
    std::wstring fileName;
    std::wstring defaultExtension;
};

class OptionsApp {
public:
    // own: the module with the program's resources. environment: what the
    // settings records of this program use (the platform's by default).
    OptionsApp(HINSTANCE own, SettingsEnvironment& environment);
    OptionsApp(const OptionsApp&) = delete;
    OptionsApp& operator=(const OptionsApp&) = delete;

    HINSTANCE Instance() const { return m_instance; }
    SettingsEnvironment& Environment() const { return m_environment; }

    // Texts: the language module first, then the program's own table.
    std::wstring Text(UINT id) const { return m_strings.Get(id); }
    StringLookup& Strings() { return m_strings; }
    // The module to take a resource from (menus 126/127): the language module
    // when it has one of that type and id, else the program.
    HINSTANCE ResourceModuleFor(LPCWSTR type, LPCWSTR id) const;
    std::wstring Title() const { return Text(IDS_APP_TITLE); }

    // A message box with a text of the table (with "%s" replaced by argument),
    // the program's title and the given flags, brought to the foreground.
    int Message(HWND owner, UINT textId, UINT flags, const std::wstring& argument = std::wstring()) const;
    int MessageWithCaption(HWND owner, const std::wstring& text, const std::wstring& caption,
                           UINT flags) const;
    // Tests answer message boxes and file dialogs themselves.
    using MessageHandler =
        std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)>;
    void SetMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }
    using FileHandler = std::function<bool(HWND owner, const FileRequest& request, std::wstring& path)>;
    void SetFileHandler(FileHandler handler) { m_fileHandler = std::move(handler); }
    // Tests answer the shortcut editor's dialogs themselves: the script sees
    // each dialog when it is ready (its template id) and may post its answer.
    using DialogScript = std::function<void(HWND dialog, int templateId)>;
    void SetDialogScript(DialogScript script) { m_dialogScript = std::move(script); }
    void DialogReady(HWND dialog, int templateId) const {
        if (m_dialogScript) {
            m_dialogScript(dialog, templateId);
        }
    }
    // The platform's open or save dialog; false when the user cancels.
    bool ChooseFile(HWND owner, const FileRequest& request, std::wstring& path) const;

    // The display flags of this program: every pixel measure of its dialogs is
    // doubled while TrueVgaScaling is on.
    bool TrueVgaScaling() const { return m_trueVgaScaling; }
    bool HiResDisplay() const { return m_hiResDisplay; }
    // Decides both flags from TrueVGAOptions and the screen's dots per inch and
    // makes them the process's scaling flags.
    void DecideDisplayFlags(int dpiX, DWORD trueVgaOptions, bool optionsValueRead);
    void SetDisplayFlags(bool trueVgaScaling, bool hiResDisplay);
    // Settings loads set the launcher's own display flags; the options program
    // puts its own back afterwards.
    void RestoreDisplayFlags() const;
    // Loads a settings record from the default file (or path) and restores the
    // program's display flags.
    bool LoadSettings(Settings& settings, const std::wstring& path = std::wstring()) const;

    // "NorvaneSettingsChanged" to every top-level window. Tests take it
    // themselves: other programs' windows on the same desktop would reload.
    void BroadcastSettingsChanged() const;
    void SetBroadcastHandler(std::function<void()> handler) { m_broadcastHandler = std::move(handler); }
    UINT SettingsChangedMessage() const { return m_settingsChanged; }

    // The registry key Software\Tarsel\Norvane under HKEY_LOCAL_MACHINE (tests
    // move it under a scratch key).
    HKEY RegistryRoot() const { return m_registryRoot; }
    const std::wstring& RegistryKey() const { return m_registryKey; }
    void SetRegistryKey(HKEY root, std::wstring key);
    bool ReadDword(const wchar_t* name, DWORD& value) const;
    bool WriteDword(const wchar_t* name, DWORD value) const;
    bool ReadString(const wchar_t* name, std::wstring& value, std::size_t limit = MAX_PATH) const;
    bool WriteString(const wchar_t* name, const std::wstring& value) const;
    void DeleteValue(const wchar_t* name) const;
    // HKEY_CURRENT_USER Software\Microsoft\Today (Skin, UseStartImage).
    HKEY TodayRoot() const { return m_todayRoot; }
    const std::wstring& TodayKey() const { return m_todayKey; }
    void SetTodayKey(HKEY root, std::wstring key) {
        m_todayRoot = root;
        m_todayKey = std::move(key);
    }

private:
    HINSTANCE m_instance;
    SettingsEnvironment& m_environment;
    StringLookup m_strings;
    MessageHandler m_messageHandler;
    FileHandler m_fileHandler;
    DialogScript m_dialogScript;
    std::function<void()> m_broadcastHandler;
    bool m_trueVgaScaling = false;
    bool m_hiResDisplay = false;
    UINT m_settingsChanged = 0;
    HKEY m_registryRoot = HKEY_LOCAL_MACHINE;
    std::wstring m_registryKey = names::kRegistryKey;
    HKEY m_todayRoot = HKEY_CURRENT_USER;
    std::wstring m_todayKey = names::kTodayKey;
};

// Replaces the first "%s" of a text from the table (a language module's text
// is never used as a printf format).
std::wstring FormatText(const std::wstring& text, const std::wstring& argument);

} // namespace norvane::options
