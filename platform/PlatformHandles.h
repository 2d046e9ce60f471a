// Small owners for the kernel and registry handles the stand-in keeps.
#pragma once

#include <windows.h>

#include <utility>

namespace norvane::platform {

// A kernel handle (event, mutex, mapping, thread, file). Both NULL and
// INVALID_HANDLE_VALUE count as empty.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_handle(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_handle, nullptr));
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return Valid(); }
    HANDLE Release() { return std::exchange(m_handle, nullptr); }
    void Reset(HANDLE h = nullptr) {
        if (Valid()) {
            CloseHandle(m_handle);
        }
        m_handle = h;
    }

private:
    HANDLE m_handle = nullptr;
};

// An open registry key.
class UniqueRegKey {
public:
    UniqueRegKey() = default;
    explicit UniqueRegKey(HKEY key) : m_key(key) {}
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;
    UniqueRegKey(UniqueRegKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
    UniqueRegKey& operator=(UniqueRegKey&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_key, nullptr));
        }
        return *this;
    }
    ~UniqueRegKey() { Reset(); }

    HKEY Get() const { return m_key; }
    HKEY* Put() {
        Reset();
        return &m_key;
    }
    explicit operator bool() const { return m_key != nullptr; }
    void Reset(HKEY key = nullptr) {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
        m_key = key;
    }

private:
    HKEY m_key = nullptr;
};

// A mapped view of a file mapping.
class UniqueView {
public:
    UniqueView() = default;
    explicit UniqueView(void* view) : m_view(view) {}
    UniqueView(const UniqueView&) = delete;
    UniqueView& operator=(const UniqueView&) = delete;
    UniqueView(UniqueView&& other) noexcept : m_view(std::exchange(other.m_view, nullptr)) {}
    UniqueView& operator=(UniqueView&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_view, nullptr));
        }
        return *this;
    }
    ~UniqueView() { Reset(); }
    void* Get() const { return m_view; }
    void Reset(void* view = nullptr) {
        if (m_view != nullptr) {
            UnmapViewOfFile(m_view);
        }
        m_view = view;
    }

private:
    void* m_view = nullptr;
};

} // namespace norvane::platform
