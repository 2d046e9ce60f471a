// The device's image decompression library "Imgdecmp.dll": one call,
// DecompressImageIndirect, that reads a JPEG (or GIF, PNG, BMP) through a caller's
// callback and hands back a DIB section. Programs load it at run time
// (LoadLibrary(L"imgdecmp.dll"), GetProcAddress "DecompressImageIndirect"), so a
// device without it only loses its pictures. The stand-in's library decodes
// through WIC and does not offer progressive rendering (ppImageRender is always
// answered with NULL and the progress callback is never called).
#pragma once

#include <windows.h>

struct IImageRender; // the progressive renderer of the device: never handed out here

// Fills szBuffer with up to dwBufferMax more bytes of the image; 0 at the end.
typedef DWORD(CALLBACK* GETDATAFUNC)(LPSTR szBuffer, DWORD dwBufferMax, LPARAM lParam);
typedef void(CALLBACK* PROGRESSFUNC)(IImageRender* pRender, BOOL bComplete, LPARAM lParam);

typedef struct tagDecompressImageInfo {
    DWORD dwSize;                 // sizeof(DecompressImageInfo)
    LPBYTE pbBuffer;              // the caller's read buffer (may be NULL: the library uses its own)
    DWORD dwBufferMax;            // its size
    DWORD dwBufferCurrent;        // bytes of the image already in pbBuffer before the first read
    HBITMAP* phBM;                // receives the decoded bitmap (the caller deletes it); may be NULL
    IImageRender** ppImageRender; // receives NULL here
    int iBitDepth;                // 16, 24 or 32 (anything else gives 24)
    LPARAM lParam;                // handed to both callbacks
    HDC hdc;                      // palette source on palette devices; unused
    int iScale;                   // percent, 1 to 100 (0 counts as 100)
    int iMaxWidth;                // the picture is shrunk to fit these, keeping its shape; 0 = no limit
    int iMaxHeight;
    GETDATAFUNC pfnGetData;
    PROGRESSFUNC pfnImageProgress;
    COLORREF crTransparentOverride; // GIF only; unused
} DecompressImageInfo;

#define IMGDECOMP_E_NOIMAGE ((HRESULT)0x800B0100L)

extern "C" HRESULT WINAPI DecompressImageIndirect(DecompressImageInfo* pParams);
typedef HRESULT(WINAPI* DECOMPRESSIMAGEINDIRECT)(DecompressImageInfo* pParams);

// The largest image the library reads through the callback, in bytes.
#define IMGDECOMP_MAX_INPUT (32u * 1024u * 1024u)
