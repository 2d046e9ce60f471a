// Shared between the imaging service's decoding (Imaging.cpp) and its encoders
// (ImagingEncoder.cpp); not part of the stand-in's interface.
#pragma once

#include "Imaging.h"

#include <wincodec.h>

namespace norvane::platform {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* Get() const { return m_ptr; }
    T** Put() {
        Reset();
        return &m_ptr;
    }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    T* Detach() {
        T* p = m_ptr;
        m_ptr = nullptr;
        return p;
    }
    void Reset() {
        if (m_ptr)
            m_ptr->Release();
        m_ptr = nullptr;
    }

private:
    T* m_ptr = nullptr;
};

// The encoders the factory lists, as one CoTaskMemAlloc block.
HRESULT InstalledWicEncoders(UINT* count, ImageCodecInfo** encoders);
// An encoder of the listed class writing to the stream (kept until
// TerminateEncoder) or to a new file of that name.
HRESULT CreateWicEncoderToStream(IWICImagingFactory* wic, const CLSID* clsid, IStream* stream,
                                 IImageEncoder** encoder);
HRESULT CreateWicEncoderToFile(IWICImagingFactory* wic, const CLSID* clsid, const WCHAR* filename,
                               IImageEncoder** encoder);

} // namespace norvane::platform
