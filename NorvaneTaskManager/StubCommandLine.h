// What a key stub makes of its command line. Portable: no Windows header, so the
// rules are also built natively and tested under the sanitizers.
#pragma once

#include <string_view>

namespace norvane {

// Codes of "NorvaneLauncherMsg" that the task-manager key posts.
namespace stubcode {
inline constexpr int kTaskManager = 0;
inline constexpr int kQuickLaunch1 = 1;
} // namespace stubcode

// The argument string of a whole command line as the desktop passes it: the
// program's name (quoted or not) and the one blank that separates the arguments
// from it are dropped; everything after that stays as it is, blanks included,
// the way the device hands a program its arguments.
std::wstring_view ArgumentsOf(std::wstring_view commandLine);

// The task-manager key's code: "/launch:0" to "/launch:3" (the whole argument
// string, in any case) give 1 to 4; anything else, the empty string included,
// gives 0, the task manager.
int TaskManagerKeyCode(std::wstring_view arguments);

} // namespace norvane
