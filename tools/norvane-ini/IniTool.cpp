// The four commands of norvane-ini. The settings record runs with an environment
// that touches no registry and creates no folders, on every platform: the tool
// edits files, not the device.
#include "IniTool.h"

#include "DisplayScale.h"
#include "FileLayer.h"
#include "IniCheck.h"
#include "IniCommandLine.h"
#include "PlatformServices.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "SettingsFile.h"
#include "TextCodec.h"

namespace norvane::ini {

namespace {

std::string Utf8(std::wstring_view text) {
    return Utf16ToUtf8(text);
}

int ReadFailure(const std::wstring& file, std::string& err) {
    err += "norvane-ini: cannot read '" + Utf8(file) + "'\n";
    return kExitIo;
}

int RunCheck(const CommandLine& line, std::string& out, std::string& err) {
    std::string bytes;
    if (!DefaultFileLayer().ReadAll(line.file, bytes)) {
        return ReadFailure(line.file, err);
    }
    const std::vector<Finding> findings = CheckSettingsBytes(bytes, &DecodeAnsiText);
    for (const Finding& f : findings) {
        out += Utf8(line.file) + ":" + std::to_string(f.line) + ": " + Utf8(f.message) + "\n";
    }
    if (findings.empty()) {
        out += Utf8(line.file) + ": no problems found\n";
        return kExitOk;
    }
    return kExitFindings;
}

int RunNormalize(const CommandLine& line, std::string& out, std::string& err) {
    std::string bytes;
    if (!DefaultFileLayer().ReadAll(line.file, bytes)) {
        return ReadFailure(line.file, err);
    }
    SettingsEnvironment quiet; // no registry, no folders
    Settings settings(quiet);
    settings.SetPath(line.output);
    settings.LoadFromBytes(bytes);
    if (!settings.Save()) {
        err += "norvane-ini: cannot write '" + Utf8(line.output) + "'\n";
        return kExitIo;
    }
    return kExitOk;
}

int RunGet(const CommandLine& line, std::string& out, std::string& err) {
    SettingsFile file;
    if (!file.Load(line.file)) {
        return ReadFailure(line.file, err);
    }
    if (!file.FindSection(line.section)) {
        err += "norvane-ini: no section [" + Utf8(line.section) + "]\n";
        return kExitMissing;
    }
    if (!file.FindValue(line.section, line.key)) {
        err += "norvane-ini: no key '" + Utf8(line.key) + "' in [" + Utf8(line.section) + "]\n";
        return kExitMissing;
    }
    switch (line.type) {
    case ValueType::String: {
        std::wstring value;
        file.GetString(line.section, line.key, value);
        out += Utf8(value);
        break;
    }
    case ValueType::Int: {
        int value = 0;
        file.GetInt(line.section, line.key, value);
        out += std::to_string(value);
        break;
    }
    case ValueType::Bool: {
        bool value = false;
        file.GetBool(line.section, line.key, value);
        out += value ? "1" : "0";
        break;
    }
    case ValueType::Color: {
        ColorValue value = 0;
        file.GetColor(line.section, line.key, value);
        out += Utf8(ColorToSettingsText(value));
        break;
    }
    case ValueType::Point: {
        SettingsPoint value;
        file.GetPoint(line.section, line.key, value);
        out += Utf8(PointToSettingsText(value));
        break;
    }
    }
    out += "\n";
    return kExitOk;
}

int RunSet(const CommandLine& line, std::string& out, std::string& err) {
    SettingsFile file;
    if (!file.Load(line.file)) {
        return ReadFailure(line.file, err);
    }
    if (line.section.find_first_of(L"]\r\n") != std::wstring::npos || line.key.empty() ||
        line.key.find_first_of(L"=\r\n") != std::wstring::npos ||
        line.value.find_first_of(L"\r\n") != std::wstring::npos) {
        err += "norvane-ini: the section, key or value cannot be stored in a settings file as given\n";
        file.Clear();
        return kExitUsage;
    }
    file.SetString(line.section, line.key, line.value);
    if (!file.Save()) {
        err += "norvane-ini: cannot write '" + Utf8(line.file) + "'; the file is unchanged\n";
        return kExitIo;
    }
    return kExitOk;
}

} // namespace

int RunIniTool(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
    std::wstring error;
    const std::optional<CommandLine> line = ParseCommandLine(args, error);
    if (!line) {
        err += "norvane-ini: " + Utf8(error) + "\n" + kUsage;
        return kExitUsage;
    }
    if (line->dpi) {
        SetScreenDpi(*line->dpi, *line->dpi);
    }
    switch (line->command) {
    case Command::Help:
        out += kUsage;
        return kExitOk;
    case Command::Check:
        return RunCheck(*line, out, err);
    case Command::Normalize:
        return RunNormalize(*line, out, err);
    case Command::Get:
        return RunGet(*line, out, err);
    case Command::Set:
        return RunSet(*line, out, err);
    }
    return kExitUsage;
}

} // namespace norvane::ini
