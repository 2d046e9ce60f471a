// Screen-capture benchmark. Under Windows: a VGA screen (480 x 640, a window
// painted like a Today screen) captured and saved as a BMP file of our own and
// as JPEG through the imaging service, as the capture timer does each step; and
// writing the same picture as BMP with our writer against the imaging
// service's BMP encoder, the platform's own way (bmp_write_ratio: its time over
// ours). Everywhere: laying out the BMP file of such a picture. Prints "name:
// value unit" lines (medians).
#include "BmpWriter.h"

#ifdef _WIN32
#include "Imaging.h"
#include "ImageLoader.h"
#include "ScreenCapture.h"
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

using namespace norvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 640;
constexpr int kRuns = 15;

double MedianMs(const std::function<void()>& run) {
    run(); // warm up
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

#ifdef _WIN32
// A window in the screen's top left corner, painted with what a Today screen
// shows: a bar, a gradient background, icon-like blocks and text.
LRESULT CALLBACK ScreenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        for (int y = 0; y < kHeight; y += 4) {
            RECT band{0, y, kWidth, y + 4};
            HBRUSH brush = CreateSolidBrush(RGB(40 + y / 5, 90 + y / 8, 200 - y / 6));
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
        RECT bar{0, 0, kWidth, 52};
        FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        for (int row = 0; row < 6; ++row)
            for (int col = 0; col < 5; ++col) {
                RECT icon{16 + col * 92, 80 + row * 90, 80 + col * 92, 144 + row * 90};
                HBRUSH brush = CreateSolidBrush(RGB(30 * col, 200 - 25 * row, 120));
                FillRect(dc, &icon, brush);
                DeleteObject(brush);
                TextOutW(dc, icon.left, icon.bottom + 4, L"Shortcut", 8);
            }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND ShowScreen() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ScreenProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchCaptureScreen";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                                kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(hwnd);
    MSG msg;
    for (int i = 0; i < 50; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(10);
    }
    return hwnd;
}

std::wstring TempName(const wchar_t* extension) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"bench_capture." + extension;
}
#endif

} // namespace

int main() {
    // Laying out the file of a VGA picture at 32 bits (the headers and one copy).
    std::vector<std::uint8_t> rows(BmpRowBytes(kWidth, 32) * kHeight, 0x5A);
    BmpPicture layout{kWidth, kHeight, 32, {}};
    std::size_t bytes = 0;
    std::printf("bmp_layout_ms: %.3f ms\n",
                MedianMs([&] { bytes += EncodeBmp(layout, rows.data()).size(); }));
    if (bytes == 0)
        return 1;

#ifdef _WIN32
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    {
        ImagingService imaging;
        if (!imaging.Available()) {
            std::printf("no imaging service\n");
            return 1;
        }
        HWND screen = ShowScreen();
        const std::wstring bmp = TempName(L"bmp");
        const std::wstring jpeg = TempName(L"jpg");
        bool ok = true;
        const double bmpMs = MedianMs([&] {
            ScreenPicture picture;
            DeleteFileW(bmp.c_str());
            ok = ok && GrabScreenArea(0, kWidth, kHeight, picture) && WriteBmpFile(picture, bmp);
        });
        const double jpegMs = MedianMs([&] {
            ScreenPicture picture;
            ok = ok && GrabScreenArea(0, kWidth, kHeight, picture) &&
                 WriteJpegFile(picture, jpeg, ImagingService::Current());
        });
        const double grabMs = MedianMs([&] {
            ScreenPicture picture;
            ok = ok && GrabScreenArea(0, kWidth, kHeight, picture);
        });
        ScreenPicture still;
        ok = ok && GrabScreenArea(0, kWidth, kHeight, still);
        const double writeMs = MedianMs([&] {
            DeleteFileW(bmp.c_str());
            ok = ok && WriteBmpFile(still, bmp);
        });
        const double peerMs = MedianMs([&] {
            DeleteFileW(bmp.c_str());
            ok = ok && WriteEncodedFile(still, bmp, ImagingService::Current(), L"image/bmp");
        });
        DeleteFileW(bmp.c_str());
        DeleteFileW(jpeg.c_str());
        DestroyWindow(screen);
        if (!ok) {
            std::printf("a capture failed\n");
            return 1;
        }
        std::printf("capture_grab_ms: %.2f ms\n", grabMs);
        std::printf("capture_bmp_ms: %.2f ms\n", bmpMs);
        std::printf("capture_jpeg_ms: %.2f ms\n", jpegMs);
        std::printf("bmp_write_ms: %.2f ms\n", writeMs);
        std::printf("bmp_write_imaging_ms: %.2f ms\n", peerMs);
        std::printf("bmp_write_ratio: %.2f x\n", peerMs / writeMs);
    }
    CoUninitialize();
#endif
    return 0;
}
