// Reads the control rectangles out of a dialog template resource (the packed
// DLGTEMPLATE or DLGTEMPLATEEX layout, little-endian). The options program's
// landscape layouts are alternate templates whose controls give the places of
// the controls with the same ids. Portable (no Windows header); a template that
// is cut short or malformed reads as nothing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace norvane::options {

// A rectangle in dialog units, as the template gives it.
struct TemplateRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TemplateRect&, const TemplateRect&) = default;
};

struct TemplateItem {
    int id = 0;
    TemplateRect rect;
};

struct DialogTemplateInfo {
    TemplateRect rect;
    std::vector<TemplateItem> items;
};

// False for bytes that are no complete template.
bool ReadDialogTemplate(std::string_view bytes, DialogTemplateInfo& info);

} // namespace norvane::options
