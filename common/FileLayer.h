// The little file layer under the settings file: read a whole file in one call,
// write a new file beside the old one and swap it in only when every write
// succeeded. The platform supplies the real one (CreateFileW under Windows, so
// device paths such as "\Program Files\..." work; stdio elsewhere); tests supply
// their own to fail a write on purpose.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace norvane {

// One file being written. Dropping it without Close() abandons the file.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Flushes and closes; false when anything did not reach the disk.
    virtual bool Close() = 0;
};

class FileLayer {
public:
    virtual ~FileLayer() = default;
    // Reads the whole existing file into bytes; false (bytes empty) when it cannot be
    // opened, its size cannot be obtained or it cannot be read.
    virtual bool ReadAll(const std::wstring& path, std::string& bytes) = 0;
    // Creates or truncates the file for exclusive writing; null on failure.
    virtual std::unique_ptr<FileWriter> Create(const std::wstring& path) = 0;
    // Moves from over to, replacing an existing file in one step.
    virtual bool MoveReplacing(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
};

// Files larger than this are refused: no settings or meter file comes near it, and
// a hostile one must not make us allocate without bound.
inline constexpr std::size_t kMaxReadableFileSize = 256u * 1024u * 1024u;

// The name under which a new version of path is written before it replaces path.
inline std::wstring PendingFileName(const std::wstring& path) {
    return path + L".new";
}

} // namespace norvane
