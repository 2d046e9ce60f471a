// Parsing of the tab image text.
#include "BuiltinImage.h"

namespace norvane {

TabImageRef ParseTabImage(const std::wstring& text, bool highResolution) {
    static const std::wstring kPrefix = L"builtin:";
    TabImageRef ref;
    if (!text.empty() && text.compare(0, kPrefix.size(), kPrefix) != 0) {
        ref.path = text;
        return ref;
    }
    std::size_t i = text.empty() ? 0 : kPrefix.size();
    int n = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        n = (n * 10 + (text[i] - L'0')) % kBuiltinImageCount;
        ++i;
    }
    int variant = highResolution ? 2 : 1;
    if (i < text.size()) {
        switch (text[i]) {
        case L's':
        case L'S':
            variant = 0;
            break;
        case L'm':
        case L'M':
            variant = 1;
            break;
        case L'l':
        case L'L':
            variant = 2;
            break;
        default:
            break;
        }
    }
    ref.builtin = true;
    ref.resourceId = BuiltinImageId(n, variant);
    return ref;
}

} // namespace norvane
