// Point-to-point message queues of the device's kernel (msgqueue.h).
//
// A queue lives in named kernel objects, so that any process that creates a
// queue of the same name shares it: a file mapping holds the messages, a mutex
// guards it, and two manual-reset events tell "not empty" and "not full". The
// handle CreateMsgQueue returns is one of those events, so WaitForSingleObject
// and WaitForMultipleObjects work on it as on the device: a read handle is
// signalled while a message is queued, a write handle while there is room.
// Close it with CloseMsgQueue only (never CloseHandle).
#pragma once

#include <windows.h>

#include <string>

#define MSGQUEUE_NOPRECOMMIT 0x00000001
#define MSGQUEUE_ALLOW_BROKEN 0x00000002
#define MSGQUEUE_MSGALERT 0x00000001

typedef struct MSGQUEUEOPTIONS_OS {
    DWORD dwSize;        // sizeof(MSGQUEUEOPTIONS)
    DWORD dwFlags;       // MSGQUEUE_NOPRECOMMIT, MSGQUEUE_ALLOW_BROKEN
    DWORD dwMaxMessages; // 0: no fixed limit (the stand-in keeps 256)
    DWORD cbMaxMessage;  // largest message in bytes
    BOOL bReadAccess;    // TRUE: a read handle, FALSE: a write handle
} MSGQUEUEOPTIONS, FAR *LPMSGQUEUEOPTIONS, *PMSGQUEUEOPTIONS;

typedef struct MSGQUEUEINFO {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwMaxMessages;
    DWORD cbMaxMessage;
    DWORD dwCurrentMessages;
    DWORD dwMaxQueueMessages;
    WORD wNumReaders;
    WORD wNumWriters;
} MSGQUEUEINFO, *PMSGQUEUEINFO, FAR* LPMSGQUEUEINFO;

// NULL on failure (GetLastError tells why). A name that exists already opens
// that queue; its sizes are the first creator's.
HANDLE CreateMsgQueue(LPCWSTR lpszName, LPMSGQUEUEOPTIONS lpOptions);
// Fails with ERROR_TIMEOUT when nothing arrives in time, ERROR_INSUFFICIENT_BUFFER
// when the message is larger than the buffer (the message is dropped), and
// ERROR_PIPE_NOT_CONNECTED when every writer has gone (unless MSGQUEUE_ALLOW_BROKEN).
BOOL ReadMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbBufferSize, LPDWORD lpNumberOfBytesRead,
                  DWORD dwTimeout, DWORD* pdwFlags);
// Fails with ERROR_TIMEOUT when the queue stays full, ERROR_INSUFFICIENT_BUFFER
// when the message is larger than the queue's limit, and ERROR_PIPE_NOT_CONNECTED
// when no reader is left (unless MSGQUEUE_ALLOW_BROKEN).
BOOL WriteMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbDataSize, DWORD dwTimeout, DWORD dwFlags);
BOOL GetMsgQueueInfo(HANDLE hMsgQ, LPMSGQUEUEINFO lpInfo);
BOOL CloseMsgQueue(HANDLE hMsgQ);

namespace norvane::platform::detail {
// The shared name of the queue behind a handle (unnamed queues get one of their
// own); empty for an unknown handle. Used to open a second writer on it.
std::wstring MsgQueueName(HANDLE queue);
MSGQUEUEOPTIONS MsgQueueOptions(HANDLE queue);
} // namespace norvane::platform::detail
