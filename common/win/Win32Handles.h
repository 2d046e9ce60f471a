// Owners for the Win32 handles the shared code opens: registry keys, kernel
// handles and modules, each closed by its destructor.
#pragma once

#include <windows.h>

#include <utility>

namespace norvane {

template <typename Handle, typename Traits> class UniqueWin32 {
public:
    UniqueWin32() = default;
    explicit UniqueWin32(Handle handle) : m_handle(handle) {}
    ~UniqueWin32() { Reset(); }
    UniqueWin32(UniqueWin32&& other) noexcept : m_handle(std::exchange(other.m_handle, Traits::Invalid())) {}
    UniqueWin32& operator=(UniqueWin32&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_handle, Traits::Invalid()));
        }
        return *this;
    }
    UniqueWin32(const UniqueWin32&) = delete;
    UniqueWin32& operator=(const UniqueWin32&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }
    // For functions that hand out a handle through a pointer.
    Handle* Receive() {
        Reset();
        return &m_handle;
    }
    void Reset(Handle handle = Traits::Invalid()) {
        if (m_handle != Traits::Invalid()) {
            Traits::Close(m_handle);
        }
        m_handle = handle;
    }
    Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }

private:
    Handle m_handle = Traits::Invalid();
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};

using UniqueRegKey = UniqueWin32<HKEY, RegKeyTraits>;
using UniqueFileHandle = UniqueWin32<HANDLE, FileHandleTraits>;
using UniqueModule = UniqueWin32<HMODULE, ModuleTraits>;

} // namespace norvane
