// NorvaneOptions.exe: the program in which the user edits everything the
// Today item shows. Started without a switch it opens the options frame; with
// one of the launcher's switches it makes one focused edit or installs a
// pending Today theme.
#include "DisplayScale.h"
#include "ImageLoader.h"
#include "OptionsApp.h"
#include "OptionsCommandLine.h"
#include "OptionsFrame.h"
#include "SingleEdits.h"
#include "StartTrace.h"
#include "Win32SettingsEnvironment.h"

#include <commctrl.h>
#include <windows.h>

using namespace norvane;
using namespace norvane::options;

namespace {

// The data folder, made when it is missing; the language module lives there.
std::wstring DataFolder(SettingsEnvironment& environment) {
    const std::wstring programs = environment.ProgramsFolder();
    const std::wstring tarsel = programs + L"\\Tarsel";
    const std::wstring folder = tarsel + L"\\Norvane";
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        environment.CreateFolder(tarsel);
        environment.CreateFolder(folder);
    }
    return folder;
}

int RunFrame(OptionsApp& app, int showTab, int show) {
    OptionsFrame frame(app, showTab);
    if (!frame.Create(show)) {
        return 1;
    }
    TraceStep("frame");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!frame.PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
    TraceStep("entered");
    // COM and the imaging factory for the whole run.
    ImagingService imaging;
    TraceStep("imaging");
    const int dpi = ScreenDpiX();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    TraceStep("controls");

    Win32SettingsEnvironment& environment = PlatformWin32SettingsEnvironment();
    OptionsApp app(instance, environment);
    app.Strings().LoadLanguageModuleFrom(DataFolder(environment));
    TraceStep("language");

    DWORD trueVgaOptions = 0;
    const bool read = app.ReadDword(names::kTrueVgaOptionsValue, trueVgaOptions);
    app.DecideDisplayFlags(dpi, trueVgaOptions, read);

    // One frame per device: a second start brings the first forward and ends.
    if (HWND running = FindWindowW(names::kFrameClass, app.Title().c_str())) {
        // With a dialog of the frame open, that dialog comes forward: the frame
        // itself takes no input until the dialog is closed.
        SetForegroundWindow(GetLastActivePopup(running));
        return 0;
    }

    const StartCommand command = ParseStartCommand(commandLine != nullptr ? commandLine : L"");
    int status = 0;
    if (command.action == StartAction::Frame) {
        status = RunFrame(app, command.showTab, show);
    } else {
        RunSingleEdit(app, command, GetActiveWindow());
    }
    app.Strings().UnloadLanguageModule();
    return status;
}
