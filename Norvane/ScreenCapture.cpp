// Screen capture: the job, its steps and the picture files.
#include "ScreenCapture.h"

#include "BmpWriter.h"
#include "CaptureOptionsDialog.h"
#include "CeMessageBox.h"
#include "Imaging.h"
#include "ImageLoader.h"
#include "Module.h"
#include "ShortcutRecord.h"
#include "SpecialCommandDispatcher.h"
#include "SpecialCommands.h"
#include "Win32Handles.h"
#include "Win32SettingsEnvironment.h"

#include <cwchar>

namespace norvane {

namespace {

constexpr UINT kMillisecondsPerSecond = 1000;
// Attempts at a free name when another writer takes ours in between.
constexpr int kCreateAttempts = 8;

// The text with its first "%d" and "%s" filled in. Texts may come from a
// language module, so they are never used as a format.
std::wstring Fill(std::wstring text, int number, const std::wstring& path) {
    const std::size_t d = text.find(L"%d");
    if (d != std::wstring::npos) {
        text.replace(d, 2, std::to_wstring(number));
    }
    const std::size_t s = text.find(L"%s");
    if (s != std::wstring::npos) {
        text.replace(s, 2, path);
    }
    return text;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CaptureTime LocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return CaptureTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

// Takes a name for our own: false when the file exists already (or cannot be made).
bool CreateNewFile(const std::wstring& path, UniqueFileHandle& file) {
    file.Reset(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

template <class T> struct ComRelease {
    T* p = nullptr;
    ~ComRelease() {
        if (p) {
            p->Release();
        }
    }
};

} // namespace

// ---------------------------------------------------------------------------
// ScreenPicture

ScreenPicture::~ScreenPicture() {
    Release();
}

void ScreenPicture::Release() {
    if (m_dc) {
        if (m_oldBitmap) {
            SelectObject(m_dc, m_oldBitmap);
        }
        DeleteDC(m_dc);
    }
    if (m_bitmap) {
        DeleteObject(m_bitmap);
    }
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_bits = nullptr;
    m_width = m_height = m_bitsPerPixel = 0;
}

bool ScreenPicture::Create(int width, int height, int bitsPerPixel, bool topDown) {
    Release();
    BmpPicture layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bitsPerPixel;
    if (!IsWritableBmp(layout)) {
        return false;
    }
    // The header and up to 256 colour entries (or three masks).
    struct {
        BITMAPINFOHEADER header;
        DWORD table[256];
    } info = {};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = topDown ? -height : height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (bitsPerPixel == 16) {
        info.header.biCompression = BI_BITFIELDS;
        info.table[0] = bmpmask::kRed16;
        info.table[1] = bmpmask::kGreen16;
        info.table[2] = bmpmask::kBlue16;
    } else if (bitsPerPixel == 32) {
        info.header.biCompression = BI_BITFIELDS;
        info.table[0] = bmpmask::kRed32;
        info.table[1] = bmpmask::kGreen32;
        info.table[2] = bmpmask::kBlue32;
    } else if (bitsPerPixel <= 8) {
        const std::vector<std::uint32_t> colours = StandardPalette(bitsPerPixel);
        for (std::size_t i = 0; i < colours.size() && i < 256; ++i) {
            info.table[i] = colours[i];
        }
        info.header.biClrUsed = static_cast<DWORD>(colours.size());
    }
    HDC screen = GetDC(nullptr);
    m_bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &m_bits, nullptr, 0);
    m_dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!m_bitmap || !m_dc || !m_bits) {
        Release();
        return false;
    }
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_topDown = topDown;
    return true;
}

std::vector<std::uint32_t> ScreenPicture::Colours() const {
    std::vector<std::uint32_t> colours;
    if (!m_dc || m_bitsPerPixel > 8) {
        return colours;
    }
    RGBQUAD table[256];
    const UINT count = GetDIBColorTable(m_dc, 0, 1u << m_bitsPerPixel, table);
    for (UINT i = 0; i < count; ++i) {
        colours.push_back(static_cast<std::uint32_t>(table[i].rgbRed) << 16 |
                          static_cast<std::uint32_t>(table[i].rgbGreen) << 8 | table[i].rgbBlue);
    }
    return colours;
}

bool GrabScreen(int bitsPerPixel, ScreenPicture& picture) {
    return GrabScreenArea(bitsPerPixel, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                          picture);
}

bool GrabScreenArea(int bitsPerPixel, int width, int height, ScreenPicture& picture) {
    HDC screen = GetDC(nullptr);
    if (!screen) {
        return false;
    }
    if (bitsPerPixel == 0) {
        bitsPerPixel = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    }
    bool ok = picture.Create(width, height, bitsPerPixel);
    if (ok) {
        ok = BitBlt(picture.Dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
    }
    ReleaseDC(nullptr, screen);
    return ok;
}

bool WriteBmpFile(const ScreenPicture& picture, const std::wstring& path) {
    if (!picture.Bits() || picture.TopDown()) {
        return false;
    }
    BmpPicture layout;
    layout.width = picture.Width();
    layout.height = picture.Height();
    layout.bitsPerPixel = picture.BitsPerPixel();
    layout.colours = picture.Colours();
    if (layout.bitsPerPixel <= 8 && layout.colours.empty()) {
        layout.colours = StandardPalette(layout.bitsPerPixel);
    }
    const std::vector<std::uint8_t> headers = BmpHeaders(layout);
    if (headers.empty()) {
        return false;
    }
    UniqueFileHandle file;
    if (!CreateNewFile(path, file)) {
        return false;
    }
    const std::size_t imageBytes = BmpRowBytes(layout.width, layout.bitsPerPixel) * layout.height;
    // The section's rows are bottom-up and padded to whole words, as the file stores them.
    bool ok = WriteAll(file.Get(), headers.data(), headers.size()) &&
              WriteAll(file.Get(), picture.Bits(), imageBytes);
    ok = CloseHandle(file.Release()) && ok;
    if (!ok) {
        DeleteFileW(path.c_str());
    }
    return ok;
}

bool WriteJpegFile(const ScreenPicture& picture, const std::wstring& path, IImagingFactory* factory) {
    return WriteEncodedFile(picture, path, factory, L"image/jpeg");
}

bool WriteEncodedFile(const ScreenPicture& picture, const std::wstring& path, IImagingFactory* factory,
                      const wchar_t* mimeType) {
    if (!factory || !picture.Dc()) {
        return false;
    }
    const int width = picture.Width(), height = picture.Height();
    // The pixels as 32-bit rows, top row first: blue, green, red and a byte the encoder ignores.
    ScreenPicture rows;
    if (!rows.Create(width, height, 32, true) ||
        !BitBlt(rows.Dc(), 0, 0, width, height, picture.Dc(), 0, 0, SRCCOPY)) {
        return false;
    }
    GdiFlush();

    // The last encoder listed for the type.
    UINT count = 0;
    ImageCodecInfo* codecs = nullptr;
    if (FAILED(factory->GetInstalledEncoders(&count, &codecs)) || !codecs) {
        return false;
    }
    CLSID jpeg = {};
    bool found = false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && _wcsicmp(codecs[i].MimeType, mimeType) == 0) {
            jpeg = codecs[i].Clsid;
            found = true;
        }
    }
    CoTaskMemFree(codecs);
    if (!found) {
        return false;
    }

    ComRelease<IImageEncoder> encoder;
    if (FAILED(factory->CreateImageEncoderToFile(&jpeg, path.c_str(), &encoder.p)) || !encoder.p) {
        return false;
    }
    bool ok = false;
    {
        ComRelease<IImageSink> sink;
        if (SUCCEEDED(encoder.p->GetEncodeSink(&sink.p)) && sink.p) {
            ImageInfo info = {};
            info.RawDataFormat = ImageFormatMemoryBMP;
            info.PixelFormat = PixelFormat16bppRGB555;
            info.Width = static_cast<UINT>(width);
            info.Height = static_cast<UINT>(height);
            info.Xdpi = info.Ydpi = Module::DpiX();
            BitmapData data = {};
            data.Width = static_cast<UINT>(width);
            data.Height = static_cast<UINT>(height);
            data.Stride = width * 4;
            data.PixelFormat = PixelFormat32bppRGB;
            data.Scan0 = rows.Bits();
            RECT all = {0, 0, width, height};
            ok = SUCCEEDED(sink.p->BeginSink(&info, nullptr)) &&
                 SUCCEEDED(sink.p->PushPixelData(&all, &data, TRUE));
            ok = SUCCEEDED(sink.p->EndSink(ok ? S_OK : E_FAIL)) && ok;
        }
    }
    ok = SUCCEEDED(encoder.p->TerminateEncoder()) && ok;
    return ok;
}

bool CreateFolderPath(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    if (path.empty()) {
        return true; // the root
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    const std::size_t parent = path.find_last_of(L'\\');
    if (parent != std::wstring::npos && parent > 0 && !CreateFolderPath(path.substr(0, parent))) {
        return false;
    }
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// ---------------------------------------------------------------------------
// ScreenCapture

struct ScreenCapture::Job {
    int count = 1;
    int remaining = 1;
    UINT intervalMs = 5000;
    std::wstring path = L"\\My Documents\\";
    std::wstring prefix = L"capture_";
    bool promptWhenDone = true;
    int colourDepth = 0;
    std::wstring format = L"BMP";
};

ScreenCapture::ScreenCapture() {
    m_services.messageBox = [](HWND owner, const std::wstring& text, UINT flags) {
        const std::wstring caption = Module::Text(ids::kProductName);
        return CeMessageBox(owner, text.c_str(), caption.c_str(), flags | MB_SETFOREGROUND);
    };
    m_services.askOptions = [](HWND owner, int& count, int& delay, int& repeatDelay) {
        return ShowCaptureOptionsDialog(owner, count, delay, repeatDelay);
    };
    m_services.announce = [](UINT delayMs) {
        return PostMessageW(HWND_BROADCAST, Module::Messages().screenCapture, delayMs, 0) != FALSE;
    };
    m_services.documentsFolder = [] { return DocumentsFolder(); };
    m_services.localTime = LocalTime;
    m_services.grab = GrabScreen;
    m_services.imagingFactory = [] { return ImagingService::Current(); };
}

ScreenCapture::~ScreenCapture() = default;

void ScreenCapture::Cancel() {
    m_job.reset();
}

bool ScreenCapture::Start(const ShortcutRecord& shortcut, HWND owner) {
    CaptureRequest request = ReadCaptureRequest(shortcut.SpecialProperties(), m_services.documentsFolder());
    if (request.promptBeforeStarting) {
        int count = request.count, delay = request.delaySeconds, repeat = request.repeatDelaySeconds;
        if (!m_services.askOptions(owner, count, delay, repeat)) {
            return false;
        }
        count = ClampCaptureCount(count);
        delay = ClampCaptureDelay(delay);
        repeat = ClampCaptureRepeatDelay(repeat);
        if (count != request.count || delay != request.delaySeconds || repeat != request.repeatDelaySeconds) {
            request.count = count;
            request.delaySeconds = delay;
            request.repeatDelaySeconds = repeat;
            if (m_services.storeOptions) {
                m_services.storeOptions(shortcut, count, delay, repeat);
            }
        }
    }
    if (m_job) {
        m_services.messageBox(owner, Module::Text(ids::kCaptureBusy), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    auto job = std::make_unique<Job>();
    job->count = request.count;
    job->remaining = request.count;
    job->intervalMs = static_cast<UINT>(request.repeatDelaySeconds) * kMillisecondsPerSecond;
    job->path = request.path;
    job->prefix = request.prefix;
    job->promptWhenDone = request.promptAfterFinishing;
    job->colourDepth = request.colourDepth;
    job->format = request.format;
    m_job = std::move(job);
    m_saved.clear();
    if (!m_services.announce(static_cast<UINT>(request.delaySeconds) * kMillisecondsPerSecond)) {
        // No window will ever run it: the next request must not find it busy.
        m_job.reset();
        return false;
    }
    return true;
}

bool ScreenCapture::SavePicture(const ScreenPicture& picture, const std::wstring& extension, bool jpeg) {
    // A folder that is not there yet is made, as a user who named it expects.
    if (!CreateFolderPath(m_job->path)) {
        return false;
    }
    const CaptureTime time = m_services.localTime();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::wstring name =
            FreeCaptureFileName(m_job->path, m_job->prefix, time, extension, FileExists);
        if (name.empty()) {
            return false;
        }
        if (!jpeg) {
            if (WriteBmpFile(picture, name)) {
                m_saved.push_back(name);
                return true;
            }
        } else {
            // The name is taken first, so that the encoder only ever replaces our own empty file.
            UniqueFileHandle reserved;
            if (CreateNewFile(name, reserved)) {
                reserved.Reset();
                if (WriteJpegFile(picture, name, m_services.imagingFactory())) {
                    m_saved.push_back(name);
                    return true;
                }
                DeleteFileW(name.c_str());
                return false;
            }
        }
        if (!FileExists(name)) {
            return false; // not taken by someone else: the file cannot be written here
        }
    }
    return false;
}

ScreenCapture::StepResult ScreenCapture::Step(UINT& nextMs) {
    if (!m_job) {
        return StepResult::NoJob;
    }
    ScreenPicture picture;
    if (!m_services.grab(m_job->colourDepth, picture)) {
        return StepResult::Failed;
    }
    const bool jpeg = IsJpegFormat(m_job->format);
    if (!SavePicture(picture, CaptureExtension(m_job->format), jpeg)) {
        return StepResult::Failed;
    }
    if (m_job->remaining-- <= 1) {
        return StepResult::Finished;
    }
    nextMs = m_job->intervalMs;
    return StepResult::Next;
}

void ScreenCapture::OnTimer(HWND window, UINT_PTR timerId) {
    KillTimer(window, timerId);
    UINT nextMs = 0;
    switch (Step(nextMs)) {
    case StepResult::NoJob:
        return;
    case StepResult::Next:
        SetTimer(window, timerId, nextMs, nullptr);
        return;
    case StepResult::Finished: {
        if (m_job->promptWhenDone) {
            std::wstring folder = m_job->path;
            if (folder.size() > 1 && folder.back() == L'\\') {
                folder.pop_back();
            }
            const int answer =
                m_services.messageBox(window, Fill(Module::Text(ids::kCaptureSaved), m_job->count, folder),
                                      MB_YESNO | MB_ICONQUESTION);
            if (answer == IDYES && m_services.openFolder) {
                m_services.openFolder(folder);
            }
        }
        m_job.reset();
        return;
    }
    case StepResult::Failed:
        m_job.reset();
        m_services.messageBox(window, Module::Text(ids::kCaptureFailed), MB_OK | MB_ICONSTOP);
        return;
    }
}

} // namespace norvane
