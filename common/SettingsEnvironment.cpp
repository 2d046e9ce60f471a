// Defaults of the settings environment that reach the platform services.
#include "SettingsEnvironment.h"

#include "MeterDefinition.h"
#include "PlatformServices.h"

namespace norvane {

void SettingsEnvironment::ResetMeterKindsInUse() {
    norvane::ResetMeterKindsInUse();
}

std::wstring SettingsEnvironment::DecodeAnsi(std::string_view bytes) {
    return DecodeAnsiText(bytes);
}

FileLayer& SettingsEnvironment::Files() {
    return DefaultFileLayer();
}

} // namespace norvane
