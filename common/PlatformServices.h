// The few services the portable code needs from the platform it runs on. Each
// function is defined once per platform: in common/win/ for Windows and in
// common/native/ for the host build, so portable code never includes a Windows
// header and never tests which platform it is on.
#pragma once

#include <string>
#include <string_view>

namespace norvane {

class FileLayer;
class SettingsEnvironment;

// The process's file layer (CreateFileW under Windows, stdio elsewhere).
FileLayer& DefaultFileLayer();

// 8-bit text in the system's ANSI code page to UTF-16: MultiByteToWideChar(CP_ACP)
// under Windows, Windows-1252 where the platform has no code page of its own.
std::wstring DecodeAnsiText(std::string_view bytes);

// The screen's logical dots per inch; false when the display cannot be asked.
bool QueryScreenDpi(int& x, int& y);

// The environment a Settings record uses when its owner names none: the registry,
// folders and display under Windows; nothing of the kind elsewhere.
SettingsEnvironment& PlatformSettingsEnvironment();

} // namespace norvane
