// Message queues over named kernel objects (see CeMsgQueue.h).
#include "CeMsgQueue.h"

#include "CePower.h"
#include "PlatformHandles.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace {

using norvane::platform::UniqueHandle;
using norvane::platform::UniqueView;

constexpr DWORD kMagic = 0x514D564E; // "NVMQ"
constexpr DWORD kUnlimitedMessages = 256;
constexpr DWORD kLargestMessage = 1024 * 1024;

// The start of the shared mapping; the slots follow.
struct QueueHeader {
    DWORD magic;
    DWORD flags;
    DWORD maxMessages;
    DWORD cbMaxMessage;
    DWORD slotSize;
    DWORD head;
    DWORD count;
    DWORD maxSeen;
    LONG readers;
    LONG writers;
};

struct SlotHeader {
    DWORD size;
    DWORD flags;
};

// One handle the caller holds: its own handles of the shared objects.
struct QueueHandle {
    std::wstring name;
    bool readAccess = false;
    UniqueHandle mutex;
    UniqueHandle mapping;
    UniqueView view;
    UniqueHandle notEmpty;
    UniqueHandle notFull;
    HANDLE waitable() const { return readAccess ? notEmpty.Get() : notFull.Get(); }
    QueueHeader* header() const { return static_cast<QueueHeader*>(view.Get()); }
    BYTE* slot(DWORD index) const {
        return static_cast<BYTE*>(view.Get()) + sizeof(QueueHeader) + size_t(index) * header()->slotSize;
    }
};

struct Registry {
    std::mutex lock;
    std::map<HANDLE, std::shared_ptr<QueueHandle>> handles;
    unsigned counter = 0;
};

Registry& Queues() {
    static Registry registry;
    return registry;
}

std::shared_ptr<QueueHandle> Find(HANDLE h) {
    Registry& r = Queues();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.handles.find(h);
    return it == r.handles.end() ? nullptr : it->second;
}

// Holds the queue's mutex; an abandoned mutex (a writer died) still guards.
class QueueLock {
public:
    explicit QueueLock(const QueueHandle& q) : m_mutex(q.mutex.Get()) {
        DWORD rc = WaitForSingleObject(m_mutex, INFINITE);
        m_held = rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
    }
    ~QueueLock() {
        if (m_held) {
            ReleaseMutex(m_mutex);
        }
    }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;
    bool held() const { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held = false;
};

// Brings both events in line with the count; called with the lock held.
void UpdateEvents(const QueueHandle& q) {
    const QueueHeader* h = q.header();
    if (h->count > 0) {
        SetEvent(q.notEmpty.Get());
    } else {
        ResetEvent(q.notEmpty.Get());
    }
    if (h->count < h->maxMessages) {
        SetEvent(q.notFull.Get());
    } else {
        ResetEvent(q.notFull.Get());
    }
}

std::wstring ObjectName(const std::wstring& queueName, const wchar_t* part) {
    // Kernel object names may not contain backslashes; the queue's name may.
    std::wstring name = L"NorvaneMsgQueue_" + std::wstring(part) + L"_" + queueName;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

DWORD Remaining(ULONGLONG deadline, DWORD timeout) {
    if (timeout == INFINITE) {
        return INFINITE;
    }
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

} // namespace

HANDLE CreateMsgQueue(LPCWSTR lpszName, LPMSGQUEUEOPTIONS lpOptions) {
    if (lpOptions == nullptr || lpOptions->dwSize < sizeof(MSGQUEUEOPTIONS) || lpOptions->cbMaxMessage == 0 ||
        lpOptions->cbMaxMessage > kLargestMessage || (lpOptions->dwMaxMessages > kUnlimitedMessages * 16)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto q = std::make_shared<QueueHandle>();
    if (lpszName != nullptr && *lpszName != L'\0') {
        if (wcslen(lpszName) > MAX_PATH) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        q->name = lpszName;
    } else {
        Registry& r = Queues();
        std::lock_guard<std::mutex> guard(r.lock);
        q->name = L"unnamed." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++r.counter) +
                  L"." + std::to_wstring(GetTickCount64());
    }
    q->readAccess = lpOptions->bReadAccess != FALSE;

    q->mutex.Reset(CreateMutexW(nullptr, FALSE, ObjectName(q->name, L"lock").c_str()));
    if (!q->mutex) {
        return nullptr;
    }
    QueueLock lock(*q);
    if (!lock.held()) {
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    DWORD maxMessages = lpOptions->dwMaxMessages != 0 ? lpOptions->dwMaxMessages : kUnlimitedMessages;
    DWORD slotSize = (sizeof(SlotHeader) + lpOptions->cbMaxMessage + 7) & ~7u;
    ULONGLONG bytes = sizeof(QueueHeader) + ULONGLONG(maxMessages) * slotSize;
    q->mapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                        static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes),
                                        ObjectName(q->name, L"data").c_str()));
    if (!q->mapping) {
        return nullptr;
    }
    q->view.Reset(MapViewOfFile(q->mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (q->view.Get() == nullptr) {
        return nullptr;
    }
    QueueHeader* h = q->header();
    if (h->magic != kMagic) {
        // First of its name (or its first creator died halfway): lay it out.
        std::memset(h, 0, sizeof *h);
        h->flags = lpOptions->dwFlags;
        h->maxMessages = maxMessages;
        h->cbMaxMessage = lpOptions->cbMaxMessage;
        h->slotSize = slotSize;
        h->magic = kMagic;
    }
    q->notEmpty.Reset(CreateEventW(nullptr, TRUE, FALSE, ObjectName(q->name, L"notempty").c_str()));
    q->notFull.Reset(CreateEventW(nullptr, TRUE, TRUE, ObjectName(q->name, L"notfull").c_str()));
    if (!q->notEmpty || !q->notFull) {
        return nullptr;
    }
    if (q->readAccess) {
        ++h->readers;
    } else {
        ++h->writers;
    }
    UpdateEvents(*q);
    HANDLE handle = q->waitable();
    Registry& r = Queues();
    std::lock_guard<std::mutex> guard(r.lock);
    r.handles[handle] = std::move(q);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL ReadMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbBufferSize, LPDWORD lpNumberOfBytesRead,
                  DWORD dwTimeout, DWORD* pdwFlags) {
    std::shared_ptr<QueueHandle> q = Find(hMsgQ);
    if (!q || !q->readAccess || lpNumberOfBytesRead == nullptr ||
        (lpBuffer == nullptr && cbBufferSize != 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ULONGLONG deadline = GetTickCount64() + (dwTimeout == INFINITE ? 0 : dwTimeout);
    for (;;) {
        {
            QueueLock lock(*q);
            QueueHeader* h = q->header();
            if (h->count > 0) {
                BYTE* slot = q->slot(h->head);
                SlotHeader message;
                std::memcpy(&message, slot, sizeof message);
                h->head = (h->head + 1) % h->maxMessages;
                --h->count;
                UpdateEvents(*q);
                if (message.size > cbBufferSize) {
                    *lpNumberOfBytesRead = message.size;
                    SetLastError(ERROR_INSUFFICIENT_BUFFER);
                    return FALSE;
                }
                if (message.size > 0) {
                    std::memcpy(lpBuffer, slot + sizeof message, message.size);
                }
                *lpNumberOfBytesRead = message.size;
                if (pdwFlags != nullptr) {
                    *pdwFlags = message.flags;
                }
                return TRUE;
            }
            if ((h->flags & MSGQUEUE_ALLOW_BROKEN) == 0 && h->writers <= 0) {
                SetLastError(ERROR_PIPE_NOT_CONNECTED);
                return FALSE;
            }
        }
        DWORD wait = Remaining(deadline, dwTimeout);
        DWORD waited = wait == 0 ? WAIT_TIMEOUT : WaitForSingleObject(q->notEmpty.Get(), wait);
        if (waited == WAIT_FAILED) {
            return FALSE;
        }
        if (waited == WAIT_TIMEOUT) {
            // One last look: a message may have come just as time ran out.
            QueueLock lock(*q);
            if (q->header()->count == 0) {
                SetLastError(ERROR_TIMEOUT);
                return FALSE;
            }
        }
    }
}

BOOL WriteMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbDataSize, DWORD dwTimeout, DWORD dwFlags) {
    std::shared_ptr<QueueHandle> q = Find(hMsgQ);
    if (!q || q->readAccess || (lpBuffer == nullptr && cbDataSize != 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ULONGLONG deadline = GetTickCount64() + (dwTimeout == INFINITE ? 0 : dwTimeout);
    for (;;) {
        {
            QueueLock lock(*q);
            QueueHeader* h = q->header();
            if (cbDataSize > h->cbMaxMessage) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            if ((h->flags & MSGQUEUE_ALLOW_BROKEN) == 0 && h->readers <= 0) {
                SetLastError(ERROR_PIPE_NOT_CONNECTED);
                return FALSE;
            }
            if (h->count < h->maxMessages) {
                BYTE* slot = q->slot((h->head + h->count) % h->maxMessages);
                SlotHeader message{cbDataSize, dwFlags};
                std::memcpy(slot, &message, sizeof message);
                if (cbDataSize > 0) {
                    std::memcpy(slot + sizeof message, lpBuffer, cbDataSize);
                }
                ++h->count;
                h->maxSeen = std::max(h->maxSeen, h->count);
                UpdateEvents(*q);
                return TRUE;
            }
        }
        DWORD wait = Remaining(deadline, dwTimeout);
        DWORD waited = wait == 0 ? WAIT_TIMEOUT : WaitForSingleObject(q->notFull.Get(), wait);
        if (waited == WAIT_FAILED) {
            return FALSE;
        }
        if (waited == WAIT_TIMEOUT) {
            QueueLock lock(*q);
            if (q->header()->count >= q->header()->maxMessages) {
                SetLastError(ERROR_TIMEOUT);
                return FALSE;
            }
        }
    }
}

BOOL GetMsgQueueInfo(HANDLE hMsgQ, LPMSGQUEUEINFO lpInfo) {
    std::shared_ptr<QueueHandle> q = Find(hMsgQ);
    if (!q || lpInfo == nullptr || lpInfo->dwSize < sizeof(MSGQUEUEINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QueueLock lock(*q);
    const QueueHeader* h = q->header();
    lpInfo->dwFlags = h->flags;
    lpInfo->dwMaxMessages = h->maxMessages;
    lpInfo->cbMaxMessage = h->cbMaxMessage;
    lpInfo->dwCurrentMessages = h->count;
    lpInfo->dwMaxQueueMessages = h->maxSeen;
    lpInfo->wNumReaders = static_cast<WORD>(std::max<LONG>(h->readers, 0));
    lpInfo->wNumWriters = static_cast<WORD>(std::max<LONG>(h->writers, 0));
    return TRUE;
}

BOOL CloseMsgQueue(HANDLE hMsgQ) {
    std::shared_ptr<QueueHandle> q;
    {
        Registry& r = Queues();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.handles.find(hMsgQ);
        if (it == r.handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        q = std::move(it->second);
        r.handles.erase(it);
    }
    {
        QueueLock lock(*q);
        QueueHeader* h = q->header();
        if (q->readAccess) {
            --h->readers;
        } else {
            --h->writers;
        }
    }
    norvane::platform::detail::OnMsgQueueClosed(hMsgQ);
    return TRUE;
}

namespace norvane::platform::detail {

std::wstring MsgQueueName(HANDLE queue) {
    std::shared_ptr<QueueHandle> q = Find(queue);
    return q ? q->name : std::wstring();
}

MSGQUEUEOPTIONS MsgQueueOptions(HANDLE queue) {
    MSGQUEUEOPTIONS options{};
    options.dwSize = sizeof options;
    std::shared_ptr<QueueHandle> q = Find(queue);
    if (q) {
        QueueLock lock(*q);
        options.dwFlags = q->header()->flags;
        options.dwMaxMessages = q->header()->maxMessages;
        options.cbMaxMessage = q->header()->cbMaxMessage;
        options.bReadAccess = q->readAccess;
    }
    return options;
}

} // namespace norvane::platform::detail
