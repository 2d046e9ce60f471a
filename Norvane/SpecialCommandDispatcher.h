// The special-command dispatcher: a shortcut whose additional target is
// "special:" and a command name runs one of the nine built-in commands with the
// parameters of its property list. Soft reset, power off and rotation go to the
// device; SMS and phone calls to the messaging program and the phone library;
// the tab menu, jump to tab and minimize/maximize are messages to the window
// that launched the shortcut; screen capture is ScreenCapture's.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <string_view>

namespace norvane {

class ScreenCapture;
class ShortcutRecord;

namespace ids {
inline constexpr UINT kProductName = 50000;
inline constexpr UINT kConfirmSoftReset = 50047;
inline constexpr UINT kNoPhoneNumber = 50049;
} // namespace ids

// The messages the commands send to the window that launched the shortcut
// (the item window answers them; see appmsg).
namespace specialmsg {
inline constexpr UINT kTabMenu = 0x800F;
inline constexpr UINT kJumpToTab = 0x8010;
inline constexpr UINT kMinMax = 0x8011;
} // namespace specialmsg

inline constexpr wchar_t kMessagingProgram[] = L"tmail.exe";

// What the commands ask of the device; tests replace these.
struct SpecialCommandServices {
    // A message box captioned with the product's name, brought to the foreground.
    std::function<int(HWND owner, const std::wstring& text, UINT flags)> messageBox;
    // ExitWindowsEx: the shell's restart.
    std::function<BOOL(UINT flags, DWORD reason)> exitWindows;
    // keybd_event with the device's key codes and flags.
    std::function<void(BYTE key, DWORD flags)> keyEvent;
    // ChangeDisplaySettingsEx(NULL, mode, NULL, flags, NULL).
    std::function<LONG(DEVMODEW& mode, DWORD flags)> changeDisplaySettings;
    // The shell's execute facility.
    std::function<BOOL(SHELLEXECUTEINFOW& info)> shellExecute;
    // PhoneMakeCall through the phone library; nothing when it is missing.
    std::function<void(const std::wstring& number, bool promptFirst)> placeCall;
    std::function<LRESULT(HWND window, UINT message, WPARAM wp, LPARAM lp)> sendMessage;
    // The screen position of the last message (GetMessagePos).
    std::function<DWORD()> messagePos;
};

class SpecialCommandDispatcher {
public:
    explicit SpecialCommandDispatcher(ScreenCapture& capture);

    SpecialCommandServices& Services() { return m_services; }

    // Runs the command name (the text after "special:") for shortcut, from owner.
    // False when the command stopped early (a refused question, no phone number,
    // a capture not started) or the window it sent a message to answered 0. An
    // unknown name does nothing and succeeds.
    bool Run(const ShortcutRecord& shortcut, std::wstring_view name, HWND owner);

private:
    bool SoftReset(const ShortcutRecord& shortcut, HWND owner);
    void PowerOff();
    void Rotate(const ShortcutRecord& shortcut);
    void SendSms(const ShortcutRecord& shortcut);
    bool PhoneCall(const ShortcutRecord& shortcut, HWND owner);
    bool Send(HWND owner, UINT message, WPARAM wp, LPARAM lp);

    ScreenCapture& m_capture;
    SpecialCommandServices m_services;
    // The messaging program's parameters stay here until the next SMS, so that
    // they outlive the call that hands them to the shell.
    std::wstring m_smsParameters;
};

} // namespace norvane
