// Byte and text conversions shared by the settings file, the tools and the tests.
#include "TextCodec.h"

namespace norvane {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::wstring& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

// Windows-1252 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

std::string Utf16ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t u = static_cast<char16_t>(text[i]);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size()) {
            char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            u = kReplacement;
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::wstring Utf8ToUtf16(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp;
        size_t extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        AppendUtf16(out, cp);
        i += extra + 1;
    }
    return out;
}

std::wstring Cp1252ToUtf16(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0) {
            out += static_cast<wchar_t>(kCp1252High[b - 0x80]);
        } else {
            out += static_cast<wchar_t>(b);
        }
    }
    return out;
}

std::wstring Utf16LeBytesToText(std::string_view bytes) {
    std::wstring out;
    out.resize(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                      (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

std::string TextToUtf16LeBytes(std::wstring_view text) {
    std::string out;
    out.resize(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned u = static_cast<char16_t>(text[i]);
        out[2 * i] = static_cast<char>(u & 0xFF);
        out[2 * i + 1] = static_cast<char>(u >> 8);
    }
    return out;
}

wchar_t LowerCaseUnit(wchar_t c) {
    const unsigned u = static_cast<char16_t>(c);
    if (u < 0x80) {
        return (u >= 'A' && u <= 'Z') ? static_cast<wchar_t>(u + 32) : c;
    }
    if ((u >= 0xC0 && u <= 0xDE && u != 0xD7) || (u >= 0x391 && u <= 0x3AB && u != 0x3A2) ||
        (u >= 0x410 && u <= 0x42F)) {
        return static_cast<wchar_t>(u + 32);
    }
    if (u >= 0x400 && u <= 0x40F) {
        return static_cast<wchar_t>(u + 80);
    }
    // Latin Extended-A pairs capital/small, with the odd run 0x139..0x148 and 0x179..0x17E.
    if ((u >= 0x100 && u <= 0x137 && u != 0x130) || (u >= 0x14A && u <= 0x177)) {
        return (u % 2 == 0) ? static_cast<wchar_t>(u + 1) : c;
    }
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return (u % 2 == 1) ? static_cast<wchar_t>(u + 1) : c;
    }
    if (u == 0x178) {
        return static_cast<wchar_t>(0xFF);
    }
    return c;
}

std::wstring LowerCase(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        c = LowerCaseUnit(c);
    }
    return out;
}

} // namespace norvane
