// The keys of the first settings file, in the tab and shortcut syntax the
// launcher reads.
#include "DefaultSettings.h"

#include "SettingsFile.h"

namespace norvane::setup {

namespace {

struct DefaultTab {
    const wchar_t* name;
    const wchar_t* image;
    bool captions;
};
constexpr DefaultTab kTabs[kDefaultTabCount] = {
    {L"Home", L"builtin:6", false},      {L"Games", L"builtin:1", false}, {L"Documents", L"builtin:2", true},
    {L"Settings", L"builtin:10", false}, {L"Tools", L"builtin:0", false},
};

std::wstring Section(int tab) {
    return L"Tab" + std::to_wstring(tab);
}

std::wstring Numbered(const wchar_t* key, int n) {
    return key + std::to_wstring(n);
}

} // namespace

// The picture format's key is written in lower case like every other, so that
// the screen capture finds it (properties are looked up by lower-cased key).
std::wstring ScreenCaptureProperties(const std::wstring& personalFolder) {
    return L"colordepth~#~0~#~count~#~1~#~delay~#~5~#~path~#~" + personalFolder +
           L"~#~prefix~#~capture_~#~promptafterfinishing~#~1~#~promptbeforestarting~#~1~#~repeatdelay~#~2~#~"
           L"format~#~JPG";
}

void DefaultSettingsWriter::AddTabs() {
    for (int tab = 1; tab <= kDefaultTabCount; ++tab) {
        const std::wstring section = Section(tab);
        m_file.AddSection(section);
        m_file.SetString(section, L"Name", kTabs[tab - 1].name);
        m_file.SetString(section, L"Image", kTabs[tab - 1].image);
        if (kTabs[tab - 1].captions) {
            m_file.SetInt(section, L"CaptionsEnabled", 1);
        }
    }
}

int DefaultSettingsWriter::AddShortcut(int tab, const std::wstring& target) {
    const int n = ++m_count[tab - 1];
    const std::wstring section = Section(tab);
    m_file.SetString(section, Numbered(L"Shortcut", n), target);
    return n;
}

void DefaultSettingsWriter::AddMeters(const std::wstring& metersFolder) {
    const struct {
        const wchar_t* name;
        const wchar_t* file;
    } meters[] = {{L"Battery-Default", L"battery-default\\meter.ini"},
                  {L"Memory-Default", L"memory-default\\meter.ini"}};
    const std::wstring section = Section(kHomeTab);
    for (const auto& meter : meters) {
        const int n = AddShortcut(kHomeTab, meter.name);
        m_file.SetString(section, Numbered(L"ShortcutAdditional", n), L"meter:" + metersFolder + meter.file);
        m_file.SetBool(section, Numbered(L"LargeIcon", n), true);
    }
}

void DefaultSettingsWriter::AddFolderShortcuts(int tab, const std::wstring& folder,
                                               const std::vector<std::wstring>& fileNames) {
    if (tab < 1 || tab > kDefaultTabCount) {
        return;
    }
    const std::wstring prefix = (!folder.empty() && folder.back() == L'\\') ? folder : folder + L"\\";
    for (const std::wstring& name : fileNames) {
        if (m_count[tab - 1] + 1 > kFolderTabLimit) {
            break;
        }
        const int n = AddShortcut(tab, prefix + name);
        m_file.SetBool(Section(tab), Numbered(L"LargeIcon", n), true);
    }
}

void DefaultSettingsWriter::AddApplet(int appletIndex, const std::wstring& name) {
    const int n = AddShortcut(kSettingsTab, name);
    const std::wstring section = Section(kSettingsTab);
    m_file.SetString(section, Numbered(L"ShortcutAdditional", n),
                     L"cpl:" + std::wstring(kControlPanelModule) + L"|" + std::to_wstring(appletIndex));
    m_file.SetBool(section, Numbered(L"LargeIcon", n), true);
}

void DefaultSettingsWriter::AddSpecialCommands(const std::array<std::wstring, 4>& texts,
                                               const std::wstring& personalFolder) {
    const std::wstring section = Section(kToolsTab);
    for (size_t i = 0; i < kDefaultSpecialCommands.size(); ++i) {
        const DefaultSpecialCommand& command = kDefaultSpecialCommands[i];
        const int n = AddShortcut(kToolsTab, texts[i]);
        m_file.SetString(section, Numbered(L"ShortcutAdditional", n),
                         L"special:" + std::wstring(command.command));
        m_file.SetBool(section, Numbered(L"LargeIcon", n), true);
        const std::wstring properties =
            command.properties ? std::wstring(command.properties) : ScreenCaptureProperties(personalFolder);
        if (!properties.empty()) {
            m_file.SetString(section, Numbered(L"SpecialProperties", n), properties);
        }
    }
}

void DefaultSettingsWriter::AddNewItemCommand(const std::wstring& key, const std::wstring& name) {
    const int n = AddShortcut(kToolsTab, name);
    const std::wstring section = Section(kToolsTab);
    m_file.SetString(section, Numbered(L"ShortcutAdditional", n), L"new:" + key);
    m_file.SetBool(section, Numbered(L"LargeIcon", n), true);
}

} // namespace norvane::setup
