// Defaults of the settings environment that reach the platform services.
#include "SettingsEnvironment.h"

#include "PlatformServices.h"

namespace norvane {

std::wstring SettingsEnvironment::DecodeAnsi(std::string_view bytes) {
    return DecodeAnsiText(bytes);
}

FileLayer& SettingsEnvironment::Files() {
    return DefaultFileLayer();
}

} // namespace norvane
