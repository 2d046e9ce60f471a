// The special-command dispatcher.
#include "SpecialCommandDispatcher.h"

#include "CeLaunch.h"
#include "CeMessageBox.h"
#include "CePower.h"
#include "CeShell.h"
#include "Module.h"
#include "ScreenCapture.h"
#include "ShortcutRecord.h"
#include "SpecialCommands.h"
#include "Telephony.h"

namespace norvane {

namespace {

std::wstring Property(const ShortcutRecord& shortcut, const wchar_t* key) {
    return shortcut.SpecialProperties().Get(key);
}

} // namespace

SpecialCommandDispatcher::SpecialCommandDispatcher(ScreenCapture& capture) : m_capture(capture) {
    m_services.messageBox = [](HWND owner, const std::wstring& text, UINT flags) {
        const std::wstring caption = Module::Text(ids::kProductName);
        return CeMessageBox(owner, text.c_str(), caption.c_str(), flags | MB_SETFOREGROUND);
    };
    m_services.exitWindows = [](UINT flags, DWORD reason) { return CeExitWindowsEx(flags, reason); };
    m_services.keyEvent = [](BYTE key, DWORD flags) { CeKeybdEvent(key, 0, flags, 0); };
    m_services.changeDisplaySettings = [](DEVMODEW& mode, DWORD flags) {
        return CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, flags, nullptr);
    };
    m_services.shellExecute = [](SHELLEXECUTEINFOW& info) { return CeShellExecuteEx(&info); };
    m_services.placeCall = [](const std::wstring& number, bool promptFirst) {
        PlacePhoneCall(number, promptFirst);
    };
    m_services.sendMessage = [](HWND window, UINT message, WPARAM wp, LPARAM lp) {
        return SendMessageW(window, message, wp, lp);
    };
    m_services.messagePos = [] { return GetMessagePos(); };
}

bool SpecialCommandDispatcher::Run(const ShortcutRecord& shortcut, std::wstring_view name, HWND owner) {
    switch (SpecialCommandOf(name)) {
    case SpecialCommand::SoftReset:
        return SoftReset(shortcut, owner);
    case SpecialCommand::PowerOff:
        PowerOff();
        return true;
    case SpecialCommand::Rotate:
        Rotate(shortcut);
        return true;
    case SpecialCommand::ScreenCapture:
        return m_capture.Start(shortcut, owner);
    case SpecialCommand::Sms:
        SendSms(shortcut);
        return true;
    case SpecialCommand::PhoneCall:
        return PhoneCall(shortcut, owner);
    case SpecialCommand::TabMenu: {
        const DWORD position = m_services.messagePos();
        const auto id = static_cast<WPARAM>(PropertyInteger(Property(shortcut, specialkey::kUniqueTabId)));
        return Send(owner, specialmsg::kTabMenu, id,
                    static_cast<LPARAM>(MAKELONG(LOWORD(position), HIWORD(position))));
    }
    case SpecialCommand::JumpToTab: {
        const auto id = static_cast<WPARAM>(PropertyInteger(Property(shortcut, specialkey::kUniqueTabId)));
        return Send(owner, specialmsg::kJumpToTab, id, 0);
    }
    case SpecialCommand::MinMax:
        return Send(owner, specialmsg::kMinMax, 0, 0);
    case SpecialCommand::Unknown:
        break;
    }
    return true;
}

bool SpecialCommandDispatcher::SoftReset(const ShortcutRecord& shortcut, HWND owner) {
    if (IsTrueProperty(Property(shortcut, specialkey::kPromptBeforeReset))) {
        const int answer = m_services.messageBox(owner, Module::Text(ids::kConfirmSoftReset),
                                                 MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
        if (answer != IDYES) {
            return false;
        }
    }
    m_services.exitWindows(EWX_REBOOT, 0);
    return true;
}

void SpecialCommandDispatcher::PowerOff() {
    m_services.keyEvent(VK_OFF, KEYEVENTF_SILENT);
    m_services.keyEvent(VK_OFF, KEYEVENTF_SILENT | KEYEVENTF_KEYUP);
}

void SpecialCommandDispatcher::Rotate(const ShortcutRecord& shortcut) {
    // Asking with only the orientation field reads the current orientation.
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_DISPLAYORIENTATION;
    int current = orientation::k0;
    if (m_services.changeDisplaySettings(mode, CDS_TEST) == DISP_CHANGE_SUCCESSFUL) {
        current = static_cast<int>(mode.dmDisplayOrientation);
    }
    DEVMODEW change = {};
    change.dmSize = sizeof(change);
    change.dmFields = DM_DISPLAYORIENTATION;
    change.dmDisplayOrientation =
        static_cast<DWORD>(NextOrientation(Property(shortcut, specialkey::kMode), current));
    m_services.changeDisplaySettings(change, CDS_RESET);
}

void SpecialCommandDispatcher::SendSms(const ShortcutRecord& shortcut) {
    m_smsParameters = SmsParameters(Property(shortcut, specialkey::kPhoneNumber),
                                    Property(shortcut, specialkey::kSmsDefaultBody));
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.lpFile = kMessagingProgram;
    info.lpParameters = m_smsParameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    m_services.shellExecute(info);
}

bool SpecialCommandDispatcher::PhoneCall(const ShortcutRecord& shortcut, HWND owner) {
    const std::wstring number = Property(shortcut, specialkey::kPhoneNumber);
    if (number.empty()) {
        m_services.messageBox(owner, Module::Text(ids::kNoPhoneNumber), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_services.placeCall(number, IsTrueProperty(Property(shortcut, specialkey::kPromptBeforeDialing)));
    return true;
}

bool SpecialCommandDispatcher::Send(HWND owner, UINT message, WPARAM wp, LPARAM lp) {
    return m_services.sendMessage(owner, message, wp, lp) != 0;
}

} // namespace norvane
