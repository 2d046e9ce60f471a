// Shared helpers of the Windows image tests: scratch folders, 24-bit
// destination sections, TGA files written by hand.
#pragma once

#include "../ImageTestData.h"
#include "Bitmap32.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace norvane::testing {

// A fresh folder under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"nv_img_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(m_counter++) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::wstring& file : m_files)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    const std::wstring& Path() const { return m_path; }
    std::wstring Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        std::wstring file = m_path + name;
        if (FILE* f = _wfopen(file.c_str(), L"wb")) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        m_files.push_back(file);
        return file;
    }

private:
    static inline int m_counter = 0;
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

// A one-pixel-per-colour 32-bit TGA, top row first, every pixel the same.
inline std::vector<std::uint8_t> SolidTga(int width, int height, TgaPixel pixel) {
    auto bytes = TgaHeader(2, width, height, 32, 0x18);
    for (int i = 0; i < width * height; ++i)
        AppendPixel(bytes, pixel, 32);
    return bytes;
}

// A 24-bit top-down section selected into a memory DC, for drawing tests.
class TestCanvas {
public:
    TestCanvas(int width, int height) : m_width(width), m_height(height) {
        HDC screen = GetDC(nullptr);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof bmi.bmiHeader, width, -height, 1, 24, BI_RGB};
        m_bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0);
        m_dc = CreateCompatibleDC(screen);
        m_old = SelectObject(m_dc, m_bitmap);
        ReleaseDC(nullptr, screen);
    }
    ~TestCanvas() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    HDC Dc() const { return m_dc; }
    void Fill(COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all{0, 0, m_width, m_height};
        FillRect(m_dc, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }

private:
    int m_width, m_height;
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace norvane::testing
