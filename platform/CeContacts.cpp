// The device's contacts store (see CeContacts.h).
#include "CeContacts.h"

namespace norvane::platform {

namespace {

std::wstring ReadText(HKEY key, const wchar_t* name) {
    wchar_t text[256] = L"";
    DWORD type = 0;
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::wstring();
    }
    text[size / sizeof(wchar_t)] = L'\0';
    return text;
}

} // namespace

std::vector<ContactNumber> ReadContactNumbers(HKEY root, const wchar_t* keyName) {
    std::vector<ContactNumber> numbers;
    HKEY contacts = nullptr;
    if (RegOpenKeyExW(root, keyName, 0, KEY_READ, &contacts) != ERROR_SUCCESS) {
        return numbers;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t sub[256];
        DWORD length = 256;
        if (RegEnumKeyExW(contacts, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        HKEY contact = nullptr;
        if (RegOpenKeyExW(contacts, sub, 0, KEY_READ, &contact) != ERROR_SUCCESS) {
            continue;
        }
        const std::wstring name = ReadText(contact, L"Name");
        const struct {
            const wchar_t* value;
            const wchar_t* kind;
        } kinds[] = {{L"MobileTelephoneNumber", L"Mobile"},
                     {L"BusinessTelephoneNumber", L"Work"},
                     {L"HomeTelephoneNumber", L"Home"}};
        for (const auto& k : kinds) {
            std::wstring number = ReadText(contact, k.value);
            if (!number.empty()) {
                numbers.push_back({name, k.kind, std::move(number)});
            }
        }
        RegCloseKey(contact);
    }
    RegCloseKey(contacts);
    return numbers;
}

} // namespace norvane::platform
