// The phone library, looked up at run time: whether the device has telephony
// (the SMS and phone-call commands are offered, the phone program is spared by
// the task manager) and placing a call through it.
#pragma once

#include <string>

namespace norvane {

// True when the phone library loads and exports its call entry; the library is
// released again at once. library names another file (tests).
bool PhoneAvailable(const wchar_t* library = nullptr);

// Loads the phone library, asks it to call number (prompting first when
// promptFirst is set, otherwise with the default flag) and releases it. False
// when the library or its entry is missing or the library refuses the call.
bool PlacePhoneCall(const std::wstring& number, bool promptFirst, const wchar_t* library = nullptr);

} // namespace norvane
