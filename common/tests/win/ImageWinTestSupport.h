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
        path_ = std::wstring(temp) + L"nv_img_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(counter_++) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }
    std::wstring Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
        std::wstring file = path_ + name;
        if (FILE* f = _wfopen(file.c_str(), L"wb")) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        files_.push_back(file);
        return file;
    }

private:
    static inline int counter_ = 0;
    std::wstring path_;
    std::vector<std::wstring> files_;
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
    TestCanvas(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof bmi.bmiHeader, width, -height, 1, 24, BI_RGB};
        bitmap_ = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0);
        dc_ = CreateCompatibleDC(screen);
        old_ = SelectObject(dc_, bitmap_);
        ReleaseDC(nullptr, screen);
    }
    ~TestCanvas() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC Dc() const { return dc_; }
    void Fill(COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all{0, 0, width_, height_};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    int width_, height_;
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace norvane::testing
