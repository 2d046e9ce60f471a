// Image file helpers. The only platform difference is how a UTF-16 path is
// handed to the C runtime.
#include "ImageFile.h"

#include "ImageNames.h"
#include "TextCodec.h"

#include <cstdio>
#include <memory>

namespace norvane {

ImageFileKind ClassifyImagePath(const std::wstring& path) {
    if (path.size() <= 4)
        return ImageFileKind::Other;
    std::wstring extension = LowerCaseName(path.substr(path.size() - 4));
    if (extension == L".png")
        return ImageFileKind::Png;
    if (extension == L".tga")
        return ImageFileKind::Tga;
    return ImageFileKind::Other;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile OpenForReading(const std::wstring& path) {
#ifdef _WIN32
    return UniqueFile(_wfopen(path.c_str(), L"rb"));
#else
    return UniqueFile(std::fopen(Utf16ToUtf8(path).c_str(), "rb"));
#endif
}

} // namespace

bool ReadFileBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes, std::size_t maxBytes) {
    bytes.clear();
    if (path.empty())
        return false;
    UniqueFile file = OpenForReading(path);
    if (!file)
        return false;
    std::uint8_t chunk[65536];
    for (;;) {
        std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got > maxBytes - bytes.size()) {
            bytes.clear();
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file.get())) {
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace norvane
