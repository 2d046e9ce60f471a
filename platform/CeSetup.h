// The cabinet installer's setup-DLL interface (ce_setup.h): the four entry
// points a product's setup DLL exports and the answers they give. The installer
// calls Install_Init before it copies the product's files and Install_Exit after
// them; Uninstall_Init before it removes them and Uninstall_Exit after.
#pragma once

#include <windows.h>

typedef enum { codeINSTALL_INIT_CONTINUE = 0, codeINSTALL_INIT_CANCEL } codeINSTALL_INIT;
typedef enum { codeINSTALL_EXIT_DONE = 0, codeINSTALL_EXIT_UNINSTALL } codeINSTALL_EXIT;
typedef enum { codeUNINSTALL_INIT_CONTINUE = 0, codeUNINSTALL_INIT_CANCEL } codeUNINSTALL_INIT;
typedef enum { codeUNINSTALL_EXIT_DONE = 0 } codeUNINSTALL_EXIT;

typedef codeINSTALL_INIT(WINAPI* pfnINSTALL_INIT)(HWND hwndParent, BOOL fFirstCall, BOOL fPreviouslyInstalled,
                                                  LPCWSTR pszInstallDir);
typedef codeINSTALL_EXIT(WINAPI* pfnINSTALL_EXIT)(HWND hwndParent, LPCWSTR pszInstallDir, WORD cFailedDirs,
                                                  WORD cFailedFiles, WORD cFailedRegKeys, WORD cFailedRegVals,
                                                  WORD cFailedShortcuts);
typedef codeUNINSTALL_INIT(WINAPI* pfnUNINSTALL_INIT)(HWND hwndParent, LPCWSTR pszInstallDir);
typedef codeUNINSTALL_EXIT(WINAPI* pfnUNINSTALL_EXIT)(HWND hwndParent);

#define szINSTALL_INIT "Install_Init"
#define szINSTALL_EXIT "Install_Exit"
#define szUNINSTALL_INIT "Uninstall_Init"
#define szUNINSTALL_EXIT "Uninstall_Exit"
