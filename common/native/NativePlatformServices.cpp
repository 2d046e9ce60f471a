// Platform services for the host build: stdio files, Windows-1252 for 8-bit text,
// and no display to ask (callers then use 96 dpi or what they were told).
#include "FileLayer.h"
#include "PlatformServices.h"
#include "SettingsEnvironment.h"
#include "TextCodec.h"

#include <cstdio>
#include <sys/stat.h>

namespace norvane {

namespace {

class StdioWriter final : public FileWriter {
public:
    explicit StdioWriter(std::FILE* file) : m_file(file) {}
    ~StdioWriter() override {
        if (m_file) {
            std::fclose(m_file);
        }
    }
    bool Write(const void* data, std::size_t size) override {
        return m_file && std::fwrite(data, 1, size, m_file) == size;
    }
    bool Close() override {
        if (!m_file) {
            return false;
        }
        bool ok = std::fflush(m_file) == 0;
        ok = std::fclose(m_file) == 0 && ok;
        m_file = nullptr;
        return ok;
    }

private:
    std::FILE* m_file;
};

class StdioFileLayer final : public FileLayer {
public:
    bool ReadAll(const std::wstring& path, std::string& bytes) override {
        bytes.clear();
        std::FILE* file = std::fopen(Utf16ToUtf8(path).c_str(), "rb");
        if (!file) {
            return false;
        }
        struct stat info {};
        bool ok = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) &&
                  static_cast<unsigned long long>(info.st_size) <= kMaxReadableFileSize;
        if (ok) {
            bytes.resize(static_cast<std::size_t>(info.st_size));
            ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
        }
        std::fclose(file);
        if (!ok) {
            bytes.clear();
        }
        return ok;
    }
    std::unique_ptr<FileWriter> Create(const std::wstring& path) override {
        std::FILE* file = std::fopen(Utf16ToUtf8(path).c_str(), "wb");
        if (!file) {
            return nullptr;
        }
        return std::make_unique<StdioWriter>(file);
    }
    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        return std::rename(Utf16ToUtf8(from).c_str(), Utf16ToUtf8(to).c_str()) == 0;
    }
    bool Remove(const std::wstring& path) override { return std::remove(Utf16ToUtf8(path).c_str()) == 0; }
};

} // namespace

FileLayer& DefaultFileLayer() {
    static StdioFileLayer layer;
    return layer;
}

std::wstring DecodeAnsiText(std::string_view bytes) {
    return Cp1252ToUtf16(bytes);
}

bool QueryScreenDpi(int& x, int& y) {
    x = 96;
    y = 96;
    return true;
}

SettingsEnvironment& PlatformSettingsEnvironment() {
    static SettingsEnvironment environment;
    return environment;
}

} // namespace norvane
