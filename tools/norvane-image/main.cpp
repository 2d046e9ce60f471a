// norvane-image decode IN OUT.pam
//
// Decodes a theme image the way the launcher does (TGA by our own decoder; PNG
// through the imaging service where there is one) and writes it as a PAM file:
// P7, TUPLTYPE RGB_ALPHA, straight alpha, top row first. A file the launcher
// would refuse gives a message and exit status 1; bad usage gives status 2.
#include "Bitmap32.h"
#include "ImageFile.h"
#include "TextCodec.h"
#include "TgaDecoder.h"

#ifdef _WIN32
#include "win/ImageLoader.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: norvane-image decode IN OUT.pam\n");
    return 2;
}

bool WritePam(const std::wstring& path, const norvane::Bitmap32& image) {
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"wb");
#else
    std::FILE* file = std::fopen(norvane::Utf16ToUtf8(path).c_str(), "wb");
#endif
    if (!file)
        return false;
    std::fprintf(file, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 image.Width(), image.Height());
    std::vector<unsigned char> row(static_cast<std::size_t>(image.Width()) * 4);
    bool ok = true;
    for (int y = 0; y < image.Height() && ok; ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            std::size_t i = static_cast<std::size_t>(y) * image.Width() + x;
            row[x * 4] = image.Red()[i];
            row[x * 4 + 1] = image.Green()[i];
            row[x * 4 + 2] = image.Blue()[i];
            row[x * 4 + 3] = image.Alpha()[i];
        }
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return std::fclose(file) == 0 && ok;
}

int Decode(const std::wstring& in, const std::wstring& out) {
    const std::string name = norvane::Utf16ToUtf8(in);
    norvane::Bitmap32 image;
    switch (norvane::ClassifyImagePath(in)) {
    case norvane::ImageFileKind::Tga: {
        norvane::TgaError error = norvane::TgaError::None;
        if (!norvane::LoadTgaFile(in, image, &error)) {
            std::fprintf(stderr, "%s: refused: %s\n", name.c_str(), norvane::TgaErrorText(error));
            return 1;
        }
        break;
    }
    case norvane::ImageFileKind::Png: {
#ifdef _WIN32
        norvane::ImagingService service;
        if (!service.Available()) {
            std::fprintf(stderr, "%s: refused: no imaging service for PNG files\n", name.c_str());
            return 1;
        }
        if (!norvane::LoadImageFile(image, in)) {
            std::fprintf(stderr, "%s: refused: the imaging service cannot read it\n", name.c_str());
            return 1;
        }
        break;
#else
        std::fprintf(stderr, "%s: refused: PNG files need the imaging service (Windows build)\n",
                     name.c_str());
        return 1;
#endif
    }
    case norvane::ImageFileKind::Other:
        std::fprintf(stderr, "%s: refused: theme images end in .tga or .png\n", name.c_str());
        return 1;
    }
    if (!WritePam(out, image)) {
        std::fprintf(stderr, "%s: cannot write\n", norvane::Utf16ToUtf8(out).c_str());
        return 1;
    }
    return 0;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || std::wstring(argv[1]) != L"decode")
        return Usage();
    return Decode(argv[2], argv[3]);
}
#else
int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != "decode")
        return Usage();
    return Decode(norvane::Utf8ToUtf16(argv[2]), norvane::Utf8ToUtf16(argv[3]));
}
#endif
