// Loading a large Norvane.ini (50 tabs of 20 shortcuts): our settings record
// against reading the same keys through the platform's GetPrivateProfileStringW
// (Windows build), plus the raw parse rate.
#include "PropertyList.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "SettingsFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using norvane::Settings;
using norvane::SettingsEnvironment;

constexpr int kTabs = 50;
constexpr int kShortcutsPerTab = 20;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string MakeFile() {
    SettingsEnvironment quiet;
    Settings settings(quiet);
    settings.LoadFromBytes("");
    settings.Tabs().clear();
    for (int t = 0; t < kTabs; ++t) {
        norvane::TabRecord& tab = settings.AddTab();
        tab.Name = L"Tab number " + std::to_wstring(t + 1);
        tab.UniqueID = t + 1;
        tab.Image = L"\\Program Files\\Tarsel\\Norvane\\images\\tab" + std::to_wstring(t) + L".tga";
        tab.FreePlacedPortrait = t % 5 == 0;
        for (int s = 0; s < kShortcutsPerTab; ++s) {
            norvane::ShortcutRecord& shortcut = tab.AddShortcut();
            shortcut.SetTarget(L"\\Windows\\Start Menu\\Programs\\Program " + std::to_wstring(t * 100 + s) +
                               L".lnk");
            if (s % 4 == 0) {
                shortcut.SetAdditionalTarget(L"special:softreset");
                shortcut.SpecialProperties().Set(L"prompt", L"1");
                shortcut.SpecialProperties().Set(L"delay", L"5");
            }
            if (s % 3 == 0) {
                shortcut.SetToolTipTitle(L"Title " + std::to_wstring(s));
            }
            shortcut.SetLargeIcon(s % 2 == 0);
            shortcut.SetLocationPortrait({s * 10, t});
        }
    }
    return settings.SaveToBytes();
}

std::filesystem::path TempFile() {
    return std::filesystem::temp_directory_path() /
           ("norvane-bench-" + std::to_string(Clock::now().time_since_epoch().count()) + ".ini");
}

std::wstring WidePath(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    std::wstring wide;
    for (char c : path.string()) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return wide;
#endif
}

template <typename F> double BestOf(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, Ms(Clock::now() - start));
    }
    return best;
}

#ifdef _WIN32
// The keys a settings load asks for, in the order it asks, read with the platform API.
std::size_t ReadThroughProfileApi(const std::wstring& path) {
    wchar_t buffer[1024];
    std::size_t found = 0;
    auto read = [&](const std::wstring& section, const std::wstring& key) {
        const DWORD n =
            GetPrivateProfileStringW(section.c_str(), key.c_str(), L"\x01", buffer, 1024, path.c_str());
        const bool present = !(n == 1 && buffer[0] == 1);
        found += present;
        return present;
    };
    for (const norvane::GeneralKey& key : norvane::GeneralKeys()) {
        read(L"General", key.Name);
    }
    for (const wchar_t* legacy : {L"CenterIcons", L"TopBarMeterIni", L"ExcludeTrayTab"}) {
        read(L"General", legacy);
    }
    read(L"StorageCardPaths", L"MeterIniPath0");
    for (int m = 1;; ++m) {
        const std::wstring section = L"Tab" + std::to_wstring(m);
        if (!read(section, L"SpecialType")) {
            // The record asks whether the section exists; the API can only miss a key.
            break;
        }
        for (const wchar_t* key :
             {L"Name", L"UniqueID", L"SnapBack", L"Image", L"OverrideDisplayMode", L"CaptionsEnabled",
              L"Hidden", L"FreePlacedPortrait", L"FreePlacedLandscape"}) {
            read(section, key);
        }
        for (int n = 1;; ++n) {
            const std::wstring num = std::to_wstring(n);
            if (!read(section, L"Shortcut" + num)) {
                break;
            }
            for (const wchar_t* key :
                 {L"LargeIcon", L"ShortcutAdditional", L"ShortcutBitmapIcon", L"ToolTipTitle", L"CommandLine",
                  L"SpecialProperties", L"CaptionEnabled"}) {
                read(section, key + num);
            }
        }
    }
    return found;
}
#endif

} // namespace

int main() {
    const std::string bytes = MakeFile();
    const std::filesystem::path file = TempFile();
    {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::wstring path = WidePath(file);

    SettingsEnvironment quiet; // no registry writes, no folders: the load itself
    std::size_t tabs = 0;
    const double loadMs = BestOf(20, [&] {
        Settings settings(quiet);
        settings.SetPath(path);
        settings.Load();
        tabs = settings.Tabs().size();
    });
    const double parseMs = BestOf(20, [&] {
        norvane::SettingsFile parsed;
        parsed.LoadFromBytes(bytes);
    });

    std::printf("settings_file_bytes: %zu bytes\n", bytes.size());
    std::printf("settings_tabs_loaded: %zu tabs\n", tabs);
    std::printf("settings_load_ms: %.3f ms\n", loadMs);
    std::printf("parse_mb_per_s: %.1f MB/s\n", bytes.size() / (parseMs / 1000.0) / 1e6);
#ifdef _WIN32
    std::size_t found = 0;
    const double apiMs = BestOf(3, [&] {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str()); // drop the API's cache
        found = ReadThroughProfileApi(path);
    });
    std::printf("profile_api_keys_found: %zu keys\n", found);
    std::printf("profile_api_ms: %.3f ms\n", apiMs);
    std::printf("settings_load_ratio: %.1f x\n", apiMs / loadMs);
#endif
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return 0;
}
