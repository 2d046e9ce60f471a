// The phone library at run time.
#include "Telephony.h"

#include "CePhone.h"
#include "Win32Handles.h"

namespace norvane {

namespace {

PFN_PhoneMakeCall FindMakeCall(const UniqueModule& library) {
    return reinterpret_cast<PFN_PhoneMakeCall>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), kPhoneMakeCallEntry)));
}

} // namespace

bool PhoneAvailable(const wchar_t* library) {
    UniqueModule module(LoadLibraryW(library ? library : kPhoneLibrary));
    return module && FindMakeCall(module) != nullptr;
}

bool PlacePhoneCall(const std::wstring& number, bool promptFirst, const wchar_t* library) {
    UniqueModule module(LoadLibraryW(library ? library : kPhoneLibrary));
    if (!module) {
        return false;
    }
    PFN_PhoneMakeCall makeCall = FindMakeCall(module);
    if (!makeCall) {
        return false;
    }
    PHONEMAKECALLINFO info = {};
    info.cbSize = sizeof(info);
    info.dwFlags = promptFirst ? PMCF_PROMPTBEFORECALLING : PMCF_DEFAULT;
    info.pszDestAddress = number.c_str();
    return makeCall(&info) == 0;
}

} // namespace norvane
