// Helpers shared by the common tests: scratch folders, UTF-16 file bytes, and a
// file layer that fails on purpose.
#pragma once

#include "FileLayer.h"
#include "PlatformServices.h"
#include "SettingsFile.h"
#include "TextCodec.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace norvane::test {

// The bytes of a UTF-16LE file with its byte-order mark.
inline std::string Utf16File(std::wstring_view text) {
    return "\xFF\xFE" + TextToUtf16LeBytes(text);
}

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() /
                 ("norvane-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::filesystem::path Path(const std::string& name) const { return m_path / name; }
    // Paths as the product holds them: UTF-16 units in a wstring.
    std::wstring WidePath(const std::string& name) const {
#ifdef _WIN32
        return Path(name).wstring();
#else
        return Utf8ToUtf16(Path(name).string());
#endif
    }
    const std::filesystem::path& Root() const {
        return m_path;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The platform's file layer, except that chosen operations fail: the write with the
// given number (counting from 1 across the writer's life), creating, or moving.
class FailingFileLayer final : public FileLayer {
public:
    int FailWriteNumber = 0;
    bool FailCreate = false;
    bool FailMove = false;
    int Writes = 0;

    bool ReadAll(const std::wstring& path, std::string& bytes) override {
        return DefaultFileLayer().ReadAll(path, bytes);
    }
    std::unique_ptr<FileWriter> Create(const std::wstring& path) override {
        if (FailCreate) {
            return nullptr;
        }
        auto inner = DefaultFileLayer().Create(path);
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<Writer>(*this, std::move(inner));
    }
    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        return !FailMove && DefaultFileLayer().MoveReplacing(from, to);
    }
    bool Remove(const std::wstring& path) override { return DefaultFileLayer().Remove(path); }

private:
    class Writer final : public FileWriter {
    public:
        Writer(FailingFileLayer& owner, std::unique_ptr<FileWriter> inner)
            : m_owner(owner), m_inner(std::move(inner)) {}
        bool Write(const void* data, std::size_t size) override {
            if (++m_owner.Writes == m_owner.FailWriteNumber) {
                return false;
            }
            return m_inner->Write(data, size);
        }
        bool Close() override { return m_inner->Close(); }

    private:
        FailingFileLayer& m_owner;
        std::unique_ptr<FileWriter> m_inner;
    };
};

// Sections, keys and raw values in order, as one line of text for comparisons:
// [Section]key=value|key=value|[Next]...
inline std::wstring DumpFile(const SettingsFile& file) {
    std::wstring out;
    for (std::size_t s = 0; s < file.SectionCount(); ++s) {
        out += L"[" + file.SectionNameAt(s) + L"]";
        const SettingsSection& section = file.SectionAt(s);
        for (std::size_t k = 0; k < section.KeyCount(); ++k) {
            out += section.KeyAt(k) + L"=" + section.ValueAt(k) + L"|";
        }
    }
    return out;
}

} // namespace norvane::test
