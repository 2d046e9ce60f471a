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
    explicit UniqueHandle(HANDLE h) : mHandle(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : mHandle(std::exchange(other.mHandle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.mHandle, nullptr));
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return mHandle; }
    bool Valid() const { return mHandle != nullptr && mHandle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return Valid(); }
    HANDLE Release() { return std::exchange(mHandle, nullptr); }
    void Reset(HANDLE h = nullptr) {
        if (Valid()) {
            CloseHandle(mHandle);
        }
        mHandle = h;
    }

private:
    HANDLE mHandle = nullptr;
};

// An open registry key.
class UniqueRegKey {
public:
    UniqueRegKey() = default;
    explicit UniqueRegKey(HKEY key) : mKey(key) {}
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;
    UniqueRegKey(UniqueRegKey&& other) noexcept : mKey(std::exchange(other.mKey, nullptr)) {}
    UniqueRegKey& operator=(UniqueRegKey&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.mKey, nullptr));
        }
        return *this;
    }
    ~UniqueRegKey() { Reset(); }

    HKEY Get() const { return mKey; }
    HKEY* Put() {
        Reset();
        return &mKey;
    }
    explicit operator bool() const { return mKey != nullptr; }
    void Reset(HKEY key = nullptr) {
        if (mKey != nullptr) {
            RegCloseKey(mKey);
        }
        mKey = key;
    }

private:
    HKEY mKey = nullptr;
};

// A mapped view of a file mapping.
class UniqueView {
public:
    UniqueView() = default;
    explicit UniqueView(void* view) : mView(view) {}
    UniqueView(const UniqueView&) = delete;
    UniqueView& operator=(const UniqueView&) = delete;
    UniqueView(UniqueView&& other) noexcept : mView(std::exchange(other.mView, nullptr)) {}
    UniqueView& operator=(UniqueView&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.mView, nullptr));
        }
        return *this;
    }
    ~UniqueView() { Reset(); }
    void* Get() const { return mView; }
    void Reset(void* view = nullptr) {
        if (mView != nullptr) {
            UnmapViewOfFile(mView);
        }
        mView = view;
    }

private:
    void* mView = nullptr;
};

} // namespace norvane::platform
