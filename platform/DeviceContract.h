// What the simulated device's shell, its control tool and the platform stand-in
// agree on: window classes, named objects, registered messages and where the
// device state lives in the device's registry. Nothing here is product code.
#pragma once

namespace norvane::device {

// Windows of the shell process. The Today screen plays the desktop window.
inline constexpr wchar_t kTodayClass[] = L"DesktopExplorerWindow";
inline constexpr wchar_t kTodayTitle[] = L"Desktop";
inline constexpr wchar_t kTaskBarClass[] = L"HHTaskBar";
inline constexpr wchar_t kMenuBarClass[] = L"menu_worker";

// Manual-reset event, signalled once the Today screen, the task bar and the menu
// bar exist (plus the configured boot delay): the shell's API set is ready.
inline constexpr wchar_t kShellReadyEvent[] = L"NorvaneDevice_ShellReady";

// Registered messages the stand-in posts to the Today window.
// Reset: the shell ends with a reboot request; the launcher boots it again.
inline constexpr wchar_t kResetMessage[] = L"NorvaneDevice_Reset";
// Power-off key: the shell suspends (screen off until a key or a tap).
inline constexpr wchar_t kPowerOffMessage[] = L"NorvaneDevice_PowerOff";

// WM_COPYDATA codes the stand-in sends to the "HHTaskBar" window (same process).
inline constexpr unsigned long kCopyDataNotifyIcon = 0x4E560001; // NotifyIconRecord
inline constexpr unsigned long kCopyDataNavBarText = 0x4E560002; // UTF-16 text, empty = none

// Shell_NotifyIcon as the task bar receives it.
struct NotifyIconRecord {
    unsigned long message;         // NIM_ADD / NIM_MODIFY / NIM_DELETE
    unsigned long long hwnd;       // owner window
    unsigned int id;               // uID
    unsigned int flags;            // uFlags
    unsigned int callbackMessage;  // uCallbackMessage
    unsigned long long icon;       // HICON (valid in the shell process)
};

// Device state, under HKEY_LOCAL_MACHINE. The control tool writes these values;
// the stand-in reads them (GetSystemPowerStatusEx2, memory and disk figures) and
// watches the keys to deliver power notifications and media change events.
inline constexpr wchar_t kStateKey[] = L"Software\\NorvaneDevice\\State";
// DWORD values of kStateKey:
inline constexpr wchar_t kBatteryPercent[] = L"BatteryPercent";         // 0-100, 255 unknown
inline constexpr wchar_t kBatteryFlag[] = L"BatteryFlag";               // 1,2,4,8,128,255
inline constexpr wchar_t kBackupBatteryPercent[] = L"BackupBatteryPercent";
inline constexpr wchar_t kBackupBatteryFlag[] = L"BackupBatteryFlag";
inline constexpr wchar_t kACLine[] = L"ACLine";                         // 0, 1, 255
inline constexpr wchar_t kCEVersion[] = L"CEVersion";                   // 4 or 5
inline constexpr wchar_t kPhoneEdition[] = L"PhoneEdition";             // 0 or 1
inline constexpr wchar_t kOrientation[] = L"Orientation";               // DMDO_* CE values 0,1,2,4
inline constexpr wchar_t kBootCount[] = L"BootCount";
inline constexpr wchar_t kShellReadyDelayMs[] = L"ShellReadyDelayMs";
// QWORD values of kStateKey (bytes):
inline constexpr wchar_t kMemoryTotal[] = L"MemoryTotal";
inline constexpr wchar_t kMemoryAvail[] = L"MemoryAvail";
inline constexpr wchar_t kStoreTotal[] = L"StoreTotal";
inline constexpr wchar_t kStoreFree[] = L"StoreFree";
// String value: last boot time, "YYYY-MM-DD HH:MM:SS" local time.
inline constexpr wchar_t kLastBootTime[] = L"LastBootTime";

// One subkey per storage card, named after its root folder ("Storage Card"),
// with DWORD "Present" and QWORD "TotalBytes" / "FreeBytes". A present card is
// also a root folder "\<name>" with the temporary attribute.
inline constexpr wchar_t kCardsKey[] = L"Software\\NorvaneDevice\\Cards";

// Log of programs started on the device: the platform programs and samples
// append one line each ("<program>|<command line>") to this file.
inline constexpr wchar_t kDeviceLogPath[] = L"C:\\Windows\\device.log";

// The form program that SHCreateNewItem starts, with the class id in registry
// form ("{...}") as its only argument.
inline constexpr wchar_t kNewItemProgram[] = L"\\Windows\\newitem.exe";

// A storage card's root folder carries this attribute, as on the device.
inline constexpr unsigned long kCardFolderAttribute = 0x100; // FILE_ATTRIBUTE_TEMPORARY

// Registered message the stand-in posts to the menu bar for SHSipPreference:
// wParam = SIP_UP (0), SIP_DOWN (1), SIP_FORCEDOWN (2); lParam = the window asking.
inline constexpr wchar_t kSipPreferenceMessage[] = L"NorvaneDevice_SipPreference";

} // namespace norvane::device

// ---------------------------------------------------------------------------
// Additions of the device shell (appended; the values above stay as agreed).
namespace norvane::device {

// Registered message to the Today window: the device shuts down (every device
// process ends, the launcher does not boot again).
inline constexpr wchar_t kShutdownMessage[] = L"NorvaneDevice_Shutdown";

// Registered message the control tool sends to the Today window to learn
// whether the screen has settled: the answer is 1 when nothing waits in the
// shell's queue (posted messages, expired timers, windows to paint) and no item
// changed its height when asked just now, else 0.
inline constexpr wchar_t kSettledQueryMessage[] = L"NorvaneDevice_Settled";

// DWORD value of kStateKey: the period of the Today screen's height queries in
// milliseconds (2000 when missing), read when the shell starts. A test that
// must see what the shell does without them sets a long one.
inline constexpr wchar_t kHeightPollMs[] = L"HeightPollMs";

// Manual-reset event the services manager signals once every service's
// Prefix_Init has returned; the boot program starts the shell after it.
inline constexpr wchar_t kServicesReadyEvent[] = L"NorvaneDevice_ServicesReady";

// Exit codes of DeviceShell.exe that the boot program (DeviceBoot.exe) reads:
// boot again (a reset request) or stop (shutdown). Any other code, such as a
// crash, also boots again.
inline constexpr unsigned long kShellExitReboot = 0x4E560B07;
inline constexpr unsigned long kShellExitShutdown = 0x4E560D0E;

// The shell's screen, as the profile set it (DWORD values of kStateKey).
inline constexpr wchar_t kScreenWidth[] = L"ScreenWidth";
inline constexpr wchar_t kScreenHeight[] = L"ScreenHeight";
inline constexpr wchar_t kScreenDpi[] = L"ScreenDpi";
// String value of kStateKey: the profile name ("qvga-portrait", ...).
inline constexpr wchar_t kProfile[] = L"Profile";
// DWORD value of kStateKey: 1 while the screen is off (power key), else 0.
inline constexpr wchar_t kScreenOff[] = L"ScreenOff";

// Hardware buttons, under HKEY_LOCAL_MACHINE: one subkey per button named
// below, with string values "Program" (a device path or a CE shortcut) and
// "Arguments", and DWORD "HostKey" (the host's virtual key that presses it).
// An empty or missing "Program" gives the button's built-in action: the OK
// button acts like the task bar's corner button, the soft keys press the Today
// menu bar's keys, the others do nothing. The shell reads a binding when its
// button is pressed.
inline constexpr wchar_t kButtonsKey[] = L"Software\\NorvaneDevice\\Buttons";
// Default host keys: App1-App4 = F1-F4, SoftKeyLeft = F5, SoftKeyRight = F6,
// OK = F7, TaskManager = F8. The D-pad is the arrow keys and Enter, delivered as
// ordinary key messages to the foreground window (the Today screen routes them
// to its items).
inline constexpr wchar_t kButtonApp1[] = L"App1";
inline constexpr wchar_t kButtonApp2[] = L"App2";
inline constexpr wchar_t kButtonApp3[] = L"App3";
inline constexpr wchar_t kButtonApp4[] = L"App4";
inline constexpr wchar_t kButtonSoftKeyLeft[] = L"SoftKeyLeft";
inline constexpr wchar_t kButtonSoftKeyRight[] = L"SoftKeyRight";
inline constexpr wchar_t kButtonOK[] = L"OK";
inline constexpr wchar_t kButtonTaskManager[] = L"TaskManager";

// Registered message the stand-in sends to the Today window once a program has
// changed the display orientation (stored as Orientation): wParam is the new
// DMDO_* value. The shell turns the screen before it answers (non-zero).
inline constexpr wchar_t kRotateMessage[] = L"NorvaneDevice_Rotate";
// DWORD value of kStateKey: the orientation that ScreenWidth x ScreenHeight
// show (missing: 0). The shell keeps it with the size when it turns the screen.
inline constexpr wchar_t kScreenOrientation[] = L"ScreenOrientation";

} // namespace norvane::device

// ---------------------------------------------------------------------------
// Smart minimize (appended by the task manager's work).
namespace norvane::device {

// Registered message the stand-in sends to "HHTaskBar" for ShowWindow(SW_MINIMIZE)
// (CeShowWindow): wParam = the window. The task bar moves the program (with the
// windows it owns) to the back and out of sight, keeps it WS_VISIBLE and brings
// the next program or the Today screen forward; it answers non-zero once it has
// handled the request (a window of the shell process is left as it is).
inline constexpr wchar_t kSmartMinimizeMessage[] = L"NorvaneDevice_SmartMinimize";

} // namespace norvane::device

// ---------------------------------------------------------------------------
// The services manager and the power manager's reset (appended).
namespace norvane::device {

// The services manager's window: hidden, top-level, in DeviceServices.exe. The
// stand-in's GetServiceHandle and DeregisterService reach it with WM_COPYDATA.
inline constexpr wchar_t kServicesWindowClass[] = L"NorvaneDevice_Services";
// Instance name with its terminator ("NVG0:"); the answer is the service's
// handle, or 0 when no loaded service has that name.
inline constexpr unsigned long kCopyDataGetService = 0x4E560010;
// A ServiceDeregistration; the answer is 1 when the handle named a service.
inline constexpr unsigned long kCopyDataDeregisterService = 0x4E560011;

struct ServiceDeregistration {
    unsigned long long handle; // as GetServiceHandle gave it
    unsigned long threadId;    // the thread that asks
    unsigned long processId;   // its process
};

// Manual-reset event that asks the boot program for a reset when no shell is
// there to take the request (the power manager's reset state early in a boot).
inline constexpr wchar_t kResetRequestEvent[] = L"NorvaneDevice_ResetRequest";

} // namespace norvane::device
