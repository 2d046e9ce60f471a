// NorvaneSetup.dll's entry points for the cabinet installer.
#include "SetupHooks.h"

#include "CeSetup.h"

namespace {

// No exception leaves the library: a step that throws ends its entry point,
// and the installer goes on as after any other failed step.
template <typename Step> void Guarded(Step step) {
    try {
        step();
    } catch (...) {
    }
}

} // namespace

extern "C" {

codeINSTALL_INIT WINAPI Install_Init(HWND hwndParent, BOOL fFirstCall, BOOL fPreviouslyInstalled,
                                     LPCWSTR pszInstallDir) {
    Guarded(
        [&] { norvane::setup::InstallInit(hwndParent, fFirstCall, fPreviouslyInstalled, pszInstallDir); });
    return codeINSTALL_INIT_CONTINUE;
}

codeINSTALL_EXIT WINAPI Install_Exit(HWND hwndParent, LPCWSTR pszInstallDir, WORD cFailedDirs,
                                     WORD cFailedFiles, WORD cFailedRegKeys, WORD cFailedRegVals,
                                     WORD cFailedShortcuts) {
    Guarded([&] { norvane::setup::InstallExit(hwndParent, pszInstallDir); });
    return codeINSTALL_EXIT_DONE;
}

codeUNINSTALL_INIT WINAPI Uninstall_Init(HWND hwndParent, LPCWSTR pszInstallDir) {
    Guarded([&] { norvane::setup::UninstallInit(hwndParent, pszInstallDir); });
    return codeUNINSTALL_INIT_CONTINUE;
}

codeUNINSTALL_EXIT WINAPI Uninstall_Exit(HWND hwndParent) {
    Guarded([&] { norvane::setup::UninstallExit(hwndParent); });
    return codeUNINSTALL_EXIT_DONE;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
