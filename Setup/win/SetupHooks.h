// The four entry points the cabinet installer calls around copying the
// product's files, and the steps they are made of. Every step that fails is
// skipped; each entry point answers 0 (continue, or done).
#pragma once

#include <windows.h>

#include <string>

namespace norvane::setup {

int InstallInit(HWND parent, BOOL firstCall, BOOL previouslyInstalled, LPCWSTR installDir);
int InstallExit(HWND parent, LPCWSTR installDir);
int UninstallInit(HWND parent, LPCWSTR installDir);
int UninstallExit(HWND parent);

// "SafeServices": the prefix and index of every service present now.
void RecordSafeServices();
// Copies the Today screen's soft-key bindings into "Keys_backup".
void BackUpSoftKeys();
// Puts the backed-up bindings back when the plug-in had changed them.
void RestoreSoftKeys();
// Asks the Today screen to lay itself out and re-read its items.
void RefreshToday();

} // namespace norvane::setup
