// The phone library's call entry (phone.h of the SDK): "phone.dll" exports
// PhoneMakeCall on a device with telephony. Callers load the library at run
// time (its presence is how they tell a phone from a plain Pocket PC), so only
// the declarations live here; the simulated device's phone.dll implements it.
#pragma once

#include <windows.h>

#define PMCF_DEFAULT 0x00000001
#define PMCF_PROMPTBEFORECALLING 0x00000002

// 24 bytes on the device; the pointers make it 40 here, so callers use sizeof.
typedef struct tagPHONEMAKECALLINFO {
    DWORD cbSize;
    DWORD dwFlags;
    PCWSTR pszDestAddress;
    PCWSTR pszAppName;
    PCWSTR pszCalledParty;
    PCWSTR pszComment;
} PHONEMAKECALLINFO, *PPHONEMAKECALLINFO;

typedef LONG(WINAPI* PFN_PhoneMakeCall)(PHONEMAKECALLINFO* ppmci);

inline constexpr wchar_t kPhoneLibrary[] = L"phone.dll";
inline constexpr char kPhoneMakeCallEntry[] = "PhoneMakeCall";
