// The power-notification thread: power-information messages from the named
// queue (or a 9-second poll) become WM_APP + 9 for the item window.
#include "ItemParts.h"

#include "CeMsgQueue.h"
#include "CePower.h"
#include "StatusSources.h"

#include <cstddef>
#include <cstring>

namespace norvane {

namespace {
constexpr wchar_t kQueueName[] = L"Norvane Power Message Queue";
constexpr wchar_t kTerminationEventName[] = L"Norvane Power Thread Termination Event";
constexpr DWORD kQueueMessages = 3;
constexpr DWORD kQueueMessageSize = 1024;
constexpr DWORD kReadTimeoutMs = 100;
constexpr DWORD kPollMs = 9000;
constexpr DWORD kStopWaitMs = 5000;
// After a read that failed, the thread waits this long before it looks at the
// queue again, so a queue that stays signalled cannot make it spin.
constexpr DWORD kFailedReadPauseMs = 100;
constexpr LPARAM kBatteryKinds = 6;
} // namespace

PowerThread::~PowerThread() {
    Stop();
}

void PowerThread::Start(HWND itemWindow, bool polling) {
    Stop();
    m_window = itemWindow;
    m_polling = polling;
    if (!m_status) {
        m_status = &ProcessStatus();
    }
    if (!polling) {
        MSGQUEUEOPTIONS options = {};
        options.dwSize = sizeof(options);
        options.dwFlags = MSGQUEUE_ALLOW_BROKEN;
        options.dwMaxMessages = kQueueMessages;
        options.cbMaxMessage = kQueueMessageSize;
        options.bReadAccess = FALSE;
        m_writeQueue = CreateMsgQueue(kQueueName, &options);
        options.bReadAccess = TRUE;
        m_readQueue = CreateMsgQueue(kQueueName, &options);
        if (m_readQueue) {
            RequestPowerNotifications(m_readQueue, PBT_POWERINFOCHANGE);
        }
    }
    m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, kTerminationEventName);
    if (m_stopEvent) {
        // A name that existed already may still be set from an earlier run.
        ResetEvent(m_stopEvent);
    }
    if (!m_stopEvent || (!polling && !m_readQueue)) {
        Stop();
        return;
    }
    m_thread = CreateThread(nullptr, 0, &PowerThread::ThreadMain, this, 0, nullptr);
    if (!m_thread) {
        Stop();
    }
}

void PowerThread::Stop() {
    if (m_stopEvent) {
        SetEvent(m_stopEvent);
        if (m_thread) {
            if (WaitForSingleObject(m_thread, kStopWaitMs) != WAIT_OBJECT_0) {
                TerminateThread(m_thread, 0);
            }
        }
        CloseHandle(m_stopEvent);
        m_stopEvent = nullptr;
    }
    if (m_thread) {
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_writeQueue) {
        CloseMsgQueue(m_writeQueue);
        m_writeQueue = nullptr;
    }
    if (m_readQueue) {
        CloseMsgQueue(m_readQueue);
        m_readQueue = nullptr;
    }
}

DWORD WINAPI PowerThread::ThreadMain(void* self) {
    static_cast<PowerThread*>(self)->Run();
    return 0;
}

void PowerThread::Run() {
    if (m_polling) {
        while (WaitForSingleObject(m_stopEvent, kPollMs) == WAIT_TIMEOUT) {
            PostMessageW(m_window, appmsg::kStatusRefresh, 0, kBatteryKinds);
        }
        return;
    }
    // The largest message the queue holds, aligned for the record's fields.
    alignas(POWER_BROADCAST) BYTE buffer[kQueueMessageSize];
    for (;;) {
        HANDLE waits[] = {m_stopEvent, m_readQueue};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) {
            return;
        }
        DWORD read = 0;
        DWORD flags = 0;
        if (ReadMsgQueue(m_readQueue, buffer, sizeof(buffer), &read, kReadTimeoutMs, &flags)) {
            constexpr std::size_t kInfoOffset = offsetof(POWER_BROADCAST, SystemPowerState);
            POWER_BROADCAST header = {};
            if (read >= kInfoOffset + sizeof(POWER_BROADCAST_POWER_INFO)) {
                std::memcpy(&header, buffer, kInfoOffset);
            }
            if (header.Message == PBT_POWERINFOCHANGE &&
                header.Length >= sizeof(POWER_BROADCAST_POWER_INFO)) {
                POWER_BROADCAST_POWER_INFO info = {};
                std::memcpy(&info, buffer + kInfoOffset, sizeof(info));
                std::uint8_t record[kPowerStatusSize];
                PowerRecordFromNotification(record, info.bBatteryFlag, info.bBatteryLifePercent,
                                            info.bBackupBatteryFlag, info.bBackupBatteryLifePercent);
                m_status->UpdatePower(record);
            }
        } else if (WaitForSingleObject(m_stopEvent, kFailedReadPauseMs) == WAIT_OBJECT_0) {
            return;
        }
        PostMessageW(m_window, appmsg::kStatusRefresh, 0, kBatteryKinds);
    }
}

} // namespace norvane
