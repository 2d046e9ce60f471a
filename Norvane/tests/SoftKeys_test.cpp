// The soft-key bindings: our stubs bound while the item runs, the user's own
// bindings backed up and put back, on the test prefix's registry.
#include "TodayHost.h"

#include "CeShell.h"
#include "DisplayScale.h"
#include "Module.h"
#include "Settings.h"
#include "SoftKeys.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace norvane;
using namespace norvane::test;

namespace {

constexpr wchar_t kKeys[] = L"Software\\Microsoft\\Today\\Keys";
constexpr wchar_t kBackup[] = L"Software\\Tarsel\\Norvane\\Keys_backup";

struct Binding {
    std::optional<std::wstring> name;
    std::optional<std::wstring> open;
    bool operator==(const Binding& other) const { return name == other.name && open == other.open; }
};

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* value) {
    wchar_t buffer[600] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegQueryValueExW(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

// The binding under root\path\name, or nothing when the subkey is missing.
std::optional<Binding> ReadBinding(HKEY root, const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, (path + L"\\" + name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Binding binding{ReadString(key, nullptr), ReadString(key, L"Open")};
    RegCloseKey(key);
    return binding;
}

void WriteBinding(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& label,
                  const std::wstring& open) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, (path + L"\\" + name).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(label.c_str()),
                   static_cast<DWORD>((label.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"Open", 0, REG_SZ, reinterpret_cast<const BYTE*>(open.c_str()),
                   static_cast<DWORD>((open.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

std::optional<DWORD> ReadModified() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBackup, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG rc = RegQueryValueExW(key, L"Modified", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
}

void WriteModified(DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kBackup, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"Modified", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

Binding Bound(const wchar_t* name, const wchar_t* open) {
    return Binding{std::wstring(name), std::wstring(open)};
}

class SoftKeysTest : public ::testing::Test {
protected:
    SharedStateLock lock;

    void SetUp() override {
        Module::SetInstance(GetModuleHandleW(nullptr));
        Module::Start();
        SetDisplayFlags(false, false);
        ResetItemRegistry();
        RemoveSettingsFile();
        CeRegDeleteKey(HKEY_CURRENT_USER, kKeys);
        CeRegDeleteKey(HKEY_LOCAL_MACHINE, kBackup);
        // The user's own bindings, as the device comes.
        WriteBinding(HKEY_CURRENT_USER, kKeys, L"112", L"Notes", L"\\Windows\\Notes.exe");
        WriteBinding(HKEY_CURRENT_USER, kKeys, L"113", L"Contacts", L"\\Windows\\Contacts.exe");
        keys.SetInstallFolder(L"\\Program Files\\Norvane\\");
    }

    void TearDown() override {
        CeRegDeleteKey(HKEY_CURRENT_USER, kKeys);
        CeRegDeleteKey(HKEY_LOCAL_MACHINE, kBackup);
        ResetItemRegistry();
    }

    void AddSoftKeyShortcut(SpecialTabType tab, const wchar_t* target, const wchar_t* title) {
        ShortcutRecord& shortcut = settings.SpecialTab(tab).AddShortcut();
        shortcut.SetTarget(target);
        shortcut.SetToolTipTitle(title);
    }

    std::optional<Binding> Key(const wchar_t* name) { return ReadBinding(HKEY_CURRENT_USER, kKeys, name); }
    std::optional<Binding> Saved(const wchar_t* name) {
        return ReadBinding(HKEY_LOCAL_MACHINE, kBackup, name);
    }

    Settings settings;
    SoftKeys keys;
};

TEST_F(SoftKeysTest, AssignBindsOurStubsAndRestorePutsTheUsersBindingsBack) {
    AddSoftKeyShortcut(SpecialTabType::LeftSoftkey, L"\\Windows\\Calendar.exe", L"Diary");
    AddSoftKeyShortcut(SpecialTabType::RightSoftkey, L"\\Windows\\Calculator.exe", L"Sums");
    keys.Assign(settings);
    EXPECT_EQ(Key(L"112"), Bound(L"Diary", L"\\Program Files\\Norvane\\NorvaneLeftKey.exe"));
    EXPECT_EQ(Key(L"113"), Bound(L"Sums", L"\\Program Files\\Norvane\\NorvaneRightKey.exe"));
    EXPECT_EQ(ReadModified(), 1u);
    EXPECT_EQ(Saved(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe")) << "the user's bindings were kept";
    EXPECT_EQ(Saved(L"113"), Bound(L"Contacts", L"\\Windows\\Contacts.exe"));

    // Every reload assigns again: the backup still holds the user's bindings,
    // never ours.
    keys.Assign(settings);
    EXPECT_EQ(Saved(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));
    EXPECT_EQ(Key(L"112"), Bound(L"Diary", L"\\Program Files\\Norvane\\NorvaneLeftKey.exe"));

    keys.Restore();
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));
    EXPECT_EQ(Key(L"113"), Bound(L"Contacts", L"\\Windows\\Contacts.exe"));
    EXPECT_EQ(ReadModified(), 0u) << "the user's bindings are in force again";

    // A change the user makes afterwards survives the next restore.
    WriteBinding(HKEY_CURRENT_USER, kKeys, L"113", L"Tasks", L"\\Windows\\Tasks.exe");
    keys.Restore();
    EXPECT_EQ(Key(L"113"), Bound(L"Tasks", L"\\Windows\\Tasks.exe"));
}

TEST_F(SoftKeysTest, AnEmptySoftkeyTabLeavesThatKeyAsTheUserHasIt) {
    AddSoftKeyShortcut(SpecialTabType::LeftSoftkey, L"\\Windows\\Calendar.exe", L"Diary");
    keys.Assign(settings);
    keys.Assign(settings);
    EXPECT_EQ(Key(L"113"), Bound(L"Contacts", L"\\Windows\\Contacts.exe"));
    EXPECT_EQ(Key(L"112"), Bound(L"Diary", L"\\Program Files\\Norvane\\NorvaneLeftKey.exe"));

    settings.SpecialTab(SpecialTabType::LeftSoftkey).Shortcuts.clear();
    keys.Assign(settings);
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"))
        << "no shortcut left: the user's key is back";
    EXPECT_NE(ReadModified(), std::optional<DWORD>(1u));
}

TEST_F(SoftKeysTest, RestoreFollowsTheInstallersBackup) {
    // The installer's backup: a left key, no right key. Our bindings are in
    // force, beside a binding that is none of ours.
    WriteBinding(HKEY_LOCAL_MACHINE, kBackup, L"112", L"Old", L"\\Windows\\old.exe");
    WriteModified(1);
    WriteBinding(HKEY_CURRENT_USER, kKeys, L"112", L"Diary", L"\\Windows\\NorvaneLeftKey.exe");
    WriteBinding(HKEY_CURRENT_USER, kKeys, L"113", L"Sums", L"\\Windows\\NorvaneRightKey.exe");
    WriteBinding(HKEY_CURRENT_USER, kKeys, L"114", L"Other", L"\\Windows\\other.exe");
    keys.Restore();
    EXPECT_EQ(Key(L"112"), Bound(L"Old", L"\\Windows\\old.exe"));
    EXPECT_FALSE(Key(L"113").has_value()) << "no backed-up right key: none after the restore";
    EXPECT_EQ(Key(L"114"), Bound(L"Other", L"\\Windows\\other.exe")) << "other bindings are left alone";
}

TEST_F(SoftKeysTest, WithoutTheModifiedFlagNothingIsRestoredOrBacked) {
    WriteBinding(HKEY_LOCAL_MACHINE, kBackup, L"112", L"Old", L"\\Windows\\old.exe");
    WriteModified(0);
    keys.Restore();
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));
    CeRegDeleteKey(HKEY_LOCAL_MACHINE, kBackup);
    keys.Restore();
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));

    keys.Assign(settings); // nothing to bind
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));
    EXPECT_EQ(Key(L"113"), Bound(L"Contacts", L"\\Windows\\Contacts.exe"));
    EXPECT_FALSE(ReadModified().has_value()) << "no binding of ours, no flag";
}

TEST_F(SoftKeysTest, AKeyTheUserLeftUnboundIsUnboundAgainAfterRestore) {
    CeRegDeleteKey(HKEY_CURRENT_USER, (std::wstring(kKeys) + L"\\113").c_str());
    AddSoftKeyShortcut(SpecialTabType::RightSoftkey, L"\\Windows\\Calculator.exe", L"Sums");
    keys.Assign(settings);
    EXPECT_TRUE(Key(L"113").has_value());
    EXPECT_FALSE(Saved(L"113").has_value());
    keys.Restore();
    EXPECT_FALSE(Key(L"113").has_value());
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));
}

TEST_F(SoftKeysTest, TheItemBindsAtEveryReloadAndRestoresAtShutdown) {
    WriteSettingsText(
        L"\r\n[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\n[Tab1]\r\nName=A\r\n"
        L"[Tab2]\r\nSpecialType=5\r\nShortcut1=\\Windows\\Calendar.exe\r\nToolTipTitle1=Diary\r\n");
    TodayHost host;
    auto item = std::make_unique<TodayItemWindow>();
    ASSERT_TRUE(item->Create(host.Hwnd()));
    ASSERT_TRUE(host.PumpUntil([&] { return item->View() && item->View()->GetType() != -2; }));
    auto bound = Key(L"112");
    ASSERT_TRUE(bound.has_value());
    EXPECT_EQ(bound->name, std::wstring(L"Diary"));
    ASSERT_TRUE(bound->open.has_value());
    EXPECT_NE(bound->open->find(L"NorvaneLeftKey.exe"), std::wstring::npos);
    EXPECT_EQ(Key(L"113"), Bound(L"Contacts", L"\\Windows\\Contacts.exe"));

    // A reload with an empty Left Softkey Tab gives the key back.
    WriteSettingsText(L"\r\n[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\n[Tab1]\r\nName=A\r\n"
                      L"[Tab2]\r\nSpecialType=5\r\n[Tab3]\r\nSpecialType=6\r\nShortcut1="
                      L"\\Windows\\Calculator.exe\r\nToolTipTitle1=Sums\r\n");
    PostMessageW(HWND_BROADCAST, Module::Messages().settingsChanged, 0, 0);
    ASSERT_TRUE(host.PumpUntil([&] { return Key(L"113").has_value() && Key(L"113")->name == L"Sums"; }));
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));

    DestroyWindow(item->Hwnd());
    EXPECT_EQ(Key(L"112"), Bound(L"Notes", L"\\Windows\\Notes.exe"));
    EXPECT_EQ(Key(L"113"), Bound(L"Contacts", L"\\Windows\\Contacts.exe"));
    item.reset();
}

} // namespace
