// norvane-meter preview: a sheet of a meter at 0, 5, 25, 50, 75 and 100 %,
// without and with charging, over a light and a dark background, drawn by the
// launcher's own meter code (Windows build only).
#pragma once

#include "MeterTool.h"

#include <string>

namespace norvane::meter {

bool DrawPreviewSheet(const PreviewRequest& request, std::string& err);

} // namespace norvane::meter
