// Platform services on Windows: files through CreateFileW (device paths without a
// drive letter work), the ANSI code page, the screen's dots per inch.
#include "FileLayer.h"
#include "PlatformServices.h"
#include "Win32Handles.h"
#include "Win32SettingsEnvironment.h"

#include <windows.h>

#include <string>

namespace norvane {

namespace {

// Collects the small writes of a save and hands them to WriteFile in large pieces.
class Win32Writer final : public FileWriter {
public:
    explicit Win32Writer(UniqueFileHandle file) : m_file(std::move(file)) { m_buffer.reserve(kChunk); }
    bool Write(const void* data, std::size_t size) override {
        if (!m_file || m_failed) {
            return false;
        }
        m_buffer.append(static_cast<const char*>(data), size);
        if (m_buffer.size() >= kChunk) {
            return Flush();
        }
        return true;
    }
    bool Close() override {
        bool ok = m_file && !m_failed && Flush();
        ok = ok && FlushFileBuffers(m_file.Get());
        m_file.Reset();
        return ok;
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;

    bool Flush() {
        std::size_t done = 0;
        while (done < m_buffer.size()) {
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(m_buffer.size() - done, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(m_file.Get(), m_buffer.data() + done, piece, &written, nullptr) ||
                written != piece) {
                m_failed = true;
                return false;
            }
            done += written;
        }
        m_buffer.clear();
        return true;
    }

    UniqueFileHandle m_file;
    std::string m_buffer;
    bool m_failed = false;
};

class Win32FileLayer final : public FileLayer {
public:
    bool ReadAll(const std::wstring& path, std::string& bytes) override {
        bytes.clear();
        UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
            static_cast<unsigned long long>(size.QuadPart) > kMaxReadableFileSize) {
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() &&
            (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
             read != bytes.size())) {
            bytes.clear();
            return false;
        }
        return true;
    }
    std::unique_ptr<FileWriter> Create(const std::wstring& path) override {
        UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return nullptr;
        }
        return std::make_unique<Win32Writer>(std::move(file));
    }
    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    bool Remove(const std::wstring& path) override { return DeleteFileW(path.c_str()) != 0; }
};

} // namespace

FileLayer& DefaultFileLayer() {
    static Win32FileLayer layer;
    return layer;
}

std::wstring DecodeAnsiText(std::string_view bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), 0x7FFFFFFF));
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0) {
        return std::wstring();
    }
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), units);
    return text;
}

bool QueryScreenDpi(int& x, int& y) {
    HDC screen = GetDC(nullptr);
    if (!screen) {
        return false;
    }
    x = GetDeviceCaps(screen, LOGPIXELSX);
    y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return true;
}

SettingsEnvironment& PlatformSettingsEnvironment() {
    static Win32SettingsEnvironment environment;
    return environment;
}

} // namespace norvane
