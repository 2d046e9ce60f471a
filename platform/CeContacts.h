// The personal-information store's contacts, as far as the contact chooser
// needs them: each contact's name and its telephone numbers. The device keeps
// them under HKEY_CURRENT_USER\Software\NorvaneDevice\Contacts, one sub-key per
// contact with the values "Name", "MobileTelephoneNumber",
// "BusinessTelephoneNumber" and "HomeTelephoneNumber" (devicectl seeds a few).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace norvane::platform {

struct ContactNumber {
    std::wstring name;   // the contact's name
    std::wstring kind;   // "Mobile", "Work" or "Home"
    std::wstring number; // the telephone number as stored
};

// Every contact's numbers, contacts in key order, numbers mobile, work, home;
// contacts without a number are left out.
std::vector<ContactNumber> ReadContactNumbers(HKEY root = HKEY_CURRENT_USER,
                                              const wchar_t* key = L"Software\\NorvaneDevice\\Contacts");

} // namespace norvane::platform
