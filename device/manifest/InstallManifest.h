// The manifest the device's cabinet installer ("\Windows\wceload.exe") installs
// from: it stands for the cabinet's file list. UTF-8 text, one entry a line:
//
//   setup=<path of the setup DLL>            the product's setup DLL (host or device path)
//   installdir=<device folder>               the install folder handed to the setup DLL
//   file=<source path>|<device destination>  a file to copy in (and to remove on uninstall)
//   selfregister=<device path>               a copied DLL whose DllRegisterServer is called
//   item=<Today item name>|<device DLL path> registered by the installer only without a setup DLL
//
// Blank lines and lines starting with "#" are skipped. Destinations and the
// install folder must be plain device paths ("\Program Files\..."): a line that
// names anything else is refused, so a manifest can never write outside the
// device. Portable code: no Windows header.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norvane::device {

struct InstallManifest {
    std::wstring setup;
    std::wstring installDir = L"\\Windows\\";
    std::vector<std::pair<std::wstring, std::wstring>> files; // source, destination
    std::vector<std::wstring> selfRegister;
    std::vector<std::pair<std::wstring, std::wstring>> items; // name, DLL
    // One text per line that was refused, with its line number.
    std::vector<std::wstring> refused;
};

// Manifests larger than this are refused whole.
inline constexpr std::size_t kMaxManifestBytes = 1u << 20;

// False (and the manifest left empty) when the text is too large; refused lines
// are listed in manifest.refused and otherwise ignored.
bool ParseInstallManifest(std::string_view utf8, InstallManifest& manifest);

// A path on the device's own drive: starting with one "\", no drive letter or
// host prefix, no ".." step, no control characters, shorter than 260 characters.
bool IsPlainDevicePath(std::wstring_view path);

} // namespace norvane::device
