// Screen capture: a shortcut's request (with the options dialog when it asks
// for it), the one capture job of the process, and the steps that the item
// window's capture timer runs: a picture of the whole screen saved as a BMP
// file of our own or as JPEG through the imaging service, then the next step
// after the interval, and a question or a message at the end. Nothing here
// waits: the delays are timer periods.
#pragma once

#include "CaptureOptions.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct IImagingFactory;

namespace norvane {

class ShortcutRecord;

namespace ids {
inline constexpr UINT kCaptureSaved = 50006;
inline constexpr UINT kCaptureFailed = 50007;
inline constexpr UINT kCaptureBusy = 50048;
} // namespace ids

// A picture in a device-independent section with its own memory DC: rows
// bottom-up, or top-down when asked for.
class ScreenPicture {
public:
    ScreenPicture() = default;
    ~ScreenPicture();
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;

    // 1, 2, 4 and 8 bits get the standard colour table, 16 bits RGB 555, 32 bits
    // blue, green, red and an unused byte. False when GDI cannot make it.
    bool Create(int width, int height, int bitsPerPixel, bool topDown = false);

    HDC Dc() const { return m_dc; }
    const std::uint8_t* Bits() const { return static_cast<const std::uint8_t*>(m_bits); }
    std::uint8_t* Bits() { return static_cast<std::uint8_t*>(m_bits); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    bool TopDown() const { return m_topDown; }
    // The section's colour table as 0x00RRGGBB (empty above 8 bits).
    std::vector<std::uint32_t> Colours() const;

private:
    void Release();

    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 0;
    bool m_topDown = false;
};

// The whole screen at the depth asked for (0: the screen's own).
bool GrabScreen(int bitsPerPixel, ScreenPicture& picture);
// The screen's top left width x height pixels.
bool GrabScreenArea(int bitsPerPixel, int width, int height, ScreenPicture& picture);
// Writes the picture as a new BMP file; never replaces an existing file.
bool WriteBmpFile(const ScreenPicture& picture, const std::wstring& path);
// Writes the picture as JPEG through the factory's last "image/jpeg" encoder,
// to a file that exists already (made empty by the caller) or a new one.
bool WriteJpegFile(const ScreenPicture& picture, const std::wstring& path, IImagingFactory* factory);
// The same through the last encoder of another MIME type ("image/bmp", ...).
bool WriteEncodedFile(const ScreenPicture& picture, const std::wstring& path, IImagingFactory* factory,
                      const wchar_t* mimeType);
// Creates a folder and every missing folder above it; true when it exists.
bool CreateFolderPath(const std::wstring& folder);

struct CaptureServices {
    // A message box captioned with the product's name, brought to the foreground.
    std::function<int(HWND owner, const std::wstring& text, UINT flags)> messageBox;
    // The options dialog: count, first delay and repeat delay, changed in place;
    // false for Cancel.
    std::function<bool(HWND owner, int& count, int& delay, int& repeatDelay)> askOptions;
    // Writes changed options back into the shortcut (count, delay and
    // repeatdelay) and saves the settings.
    std::function<void(const ShortcutRecord& shortcut, int count, int delay, int repeatDelay)> storeOptions;
    // Broadcasts "Norvane_Screen_Capture" with the first delay; false when it
    // could not be sent.
    std::function<bool(UINT delayMs)> announce;
    // Opens a folder as a folder shortcut does.
    std::function<void(const std::wstring& folder)> openFolder;
    // The device's documents folder, with its final "\".
    std::function<std::wstring()> documentsFolder;
    std::function<CaptureTime()> localTime;
    std::function<bool(int bitsPerPixel, ScreenPicture& picture)> grab;
    std::function<IImagingFactory*()> imagingFactory;
};

class ScreenCapture {
public:
    ScreenCapture();
    ~ScreenCapture();
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;

    CaptureServices& Services() { return m_services; }

    // The command: reads the shortcut's request, asks for the options when it
    // says so, refuses while a job runs, creates the job and announces it.
    // False when nothing was started.
    bool Start(const ShortcutRecord& shortcut, HWND owner);
    bool Busy() const { return m_job != nullptr; }

    // The capture timer (timerId) of window fired: one step, then the next
    // timer, or the end of the job with its question or message.
    void OnTimer(HWND window, UINT_PTR timerId);
    // Drops a job (the window goes away).
    void Cancel();

    // The files the current or last job wrote, in order.
    const std::vector<std::wstring>& SavedFiles() const { return m_saved; }

private:
    struct Job;
    enum class StepResult { NoJob, Next, Finished, Failed };

    StepResult Step(UINT& nextMs);
    bool SavePicture(const ScreenPicture& picture, const std::wstring& extension, bool jpeg);

    CaptureServices m_services;
    std::unique_ptr<Job> m_job;
    std::vector<std::wstring> m_saved;
};

} // namespace norvane
