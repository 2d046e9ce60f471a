// phone.dll: the telephony of a phone-edition device. PhoneMakeCall writes the
// call it was asked to place to the device log ("phone.dll|PhoneMakeCall
// number=... flags=..."); a plain Pocket PC has no such library at all.
#include "CePhone.h"
#include "DeviceSupport.h"

#include <string>

using namespace norvane::device;

namespace {

std::wstring FlagsText(DWORD flags) {
    std::wstring text;
    auto add = [&text](const wchar_t* name) {
        if (!text.empty())
            text += L'|';
        text += name;
    };
    if (flags & PMCF_DEFAULT)
        add(L"PMCF_DEFAULT");
    if (flags & PMCF_PROMPTBEFORECALLING)
        add(L"PMCF_PROMPTBEFORECALLING");
    const DWORD other = flags & ~static_cast<DWORD>(PMCF_DEFAULT | PMCF_PROMPTBEFORECALLING);
    if (other != 0 || text.empty()) {
        wchar_t hex[16];
        wsprintfW(hex, L"0x%lX", other);
        add(hex);
    }
    return text;
}

} // namespace

extern "C" __declspec(dllexport) LONG WINAPI PhoneMakeCall(PHONEMAKECALLINFO* info) {
    // The record must at least reach the number.
    const DWORD needed = static_cast<DWORD>(offsetof(PHONEMAKECALLINFO, pszDestAddress) + sizeof(PCWSTR));
    if (info == nullptr || info->cbSize < needed) {
        AppendDeviceLog(L"phone.dll", L"PhoneMakeCall refused: no call record");
        return ERROR_INVALID_PARAMETER;
    }
    const std::wstring number = info->pszDestAddress ? info->pszDestAddress : L"";
    AppendDeviceLog(L"phone.dll",
                    L"PhoneMakeCall number=\"" + number + L"\" flags=" + FlagsText(info->dwFlags));
    return number.empty() ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
