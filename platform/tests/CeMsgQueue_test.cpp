// Message queues: shared by name, waitable, bounded, and tolerant of broken ends.
#include "CeMsgQueue.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring UniqueQueueName(const wchar_t* what) {
    return std::wstring(L"Norvane Test Queue ") + what + L" " + std::to_wstring(GetCurrentProcessId()) +
           L"." + std::to_wstring(GetTickCount64());
}

MSGQUEUEOPTIONS Options(DWORD flags, DWORD maxMessages, DWORD cbMax, BOOL read) {
    return MSGQUEUEOPTIONS{sizeof(MSGQUEUEOPTIONS), flags, maxMessages, cbMax, read};
}

// Both ends of one queue, closed at the end of the test.
struct QueuePair {
    HANDLE writer = nullptr;
    HANDLE reader = nullptr;
    QueuePair(const std::wstring& name, DWORD flags, DWORD maxMessages, DWORD cbMax) {
        MSGQUEUEOPTIONS w = Options(flags, maxMessages, cbMax, FALSE);
        MSGQUEUEOPTIONS r = Options(flags, maxMessages, cbMax, TRUE);
        writer = CreateMsgQueue(name.c_str(), &w);
        reader = CreateMsgQueue(name.c_str(), &r);
    }
    ~QueuePair() {
        if (reader != nullptr) {
            CloseMsgQueue(reader);
        }
        if (writer != nullptr) {
            CloseMsgQueue(writer);
        }
    }
};

TEST(MsgQueue, ReadHandleIsSignalledExactlyWhileAMessageIsQueued) {
    QueuePair q(UniqueQueueName(L"signal"), MSGQUEUE_ALLOW_BROKEN, 3, 1024);
    ASSERT_NE(q.writer, nullptr);
    ASSERT_NE(q.reader, nullptr);
    EXPECT_EQ(WaitForSingleObject(q.reader, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "empty queue must not signal";

    char text[] = "battery";
    ASSERT_TRUE(WriteMsgQueue(q.writer, text, sizeof text, 0, MSGQUEUE_MSGALERT));
    // Waiting twice must not consume the message: the product waits, then reads.
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE waits[] = {stop, q.reader};
    EXPECT_EQ(WaitForMultipleObjects(2, waits, FALSE, 1000), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
    EXPECT_EQ(WaitForSingleObject(q.reader, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(stop);

    char buffer[1024] = {};
    DWORD read = 0;
    DWORD flags = 0xDEAD;
    ASSERT_TRUE(ReadMsgQueue(q.reader, buffer, sizeof buffer, &read, 100, &flags));
    EXPECT_EQ(read, sizeof text);
    EXPECT_STREQ(buffer, "battery");
    EXPECT_EQ(flags, static_cast<DWORD>(MSGQUEUE_MSGALERT));
    EXPECT_EQ(WaitForSingleObject(q.reader, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "drained queue still signals";

    ULONGLONG before = GetTickCount64();
    EXPECT_FALSE(ReadMsgQueue(q.reader, buffer, sizeof buffer, &read, 100, &flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_GE(GetTickCount64() - before, 90u) << "the read gave up before its time-out";
}

TEST(MsgQueue, MessagesKeepTheirOrderAndAFullQueueRefusesWrites) {
    QueuePair q(UniqueQueueName(L"full"), MSGQUEUE_ALLOW_BROKEN, 3, 16);
    ASSERT_NE(q.reader, nullptr);
    EXPECT_EQ(WaitForSingleObject(q.writer, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "write handle: room";
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(WriteMsgQueue(q.writer, &i, sizeof i, 0, 0)) << "message " << i;
    }
    EXPECT_EQ(WaitForSingleObject(q.writer, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "write handle: full";
    int extra = 4;
    EXPECT_FALSE(WriteMsgQueue(q.writer, &extra, sizeof extra, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));

    char big[17] = {};
    EXPECT_FALSE(WriteMsgQueue(q.writer, big, sizeof big, 0, 0)) << "larger than cbMaxMessage";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    MSGQUEUEINFO info{sizeof info};
    ASSERT_TRUE(GetMsgQueueInfo(q.reader, &info));
    EXPECT_EQ(info.dwCurrentMessages, 3u);
    EXPECT_EQ(info.wNumReaders, 1);
    EXPECT_EQ(info.wNumWriters, 1);

    for (int i = 1; i <= 3; ++i) {
        int value = 0;
        DWORD read = 0;
        DWORD flags = 0;
        ASSERT_TRUE(ReadMsgQueue(q.reader, &value, sizeof value, &read, 0, &flags));
        EXPECT_EQ(value, i);
    }
    // The queue wraps around its end.
    int five = 5;
    ASSERT_TRUE(WriteMsgQueue(q.writer, &five, sizeof five, 0, 0));
    int value = 0;
    DWORD read = 0;
    DWORD flags = 0;
    ASSERT_TRUE(ReadMsgQueue(q.reader, &value, sizeof value, &read, 0, &flags));
    EXPECT_EQ(value, 5);
}

TEST(MsgQueue, SmallReadBufferDropsTheMessageWithAnError) {
    QueuePair q(UniqueQueueName(L"small"), MSGQUEUE_ALLOW_BROKEN, 3, 64);
    char text[32] = "a message of thirty-one bytes..";
    ASSERT_TRUE(WriteMsgQueue(q.writer, text, sizeof text, 0, 0));
    char small[8];
    DWORD read = 0;
    DWORD flags = 0;
    EXPECT_FALSE(ReadMsgQueue(q.reader, small, sizeof small, &read, 0, &flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(read, sizeof text) << "the size needed is reported";
    EXPECT_EQ(WaitForSingleObject(q.reader, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(MsgQueue, BrokenQueuesFailUnlessAllowed) {
    std::wstring strict = UniqueQueueName(L"strict");
    MSGQUEUEOPTIONS w = Options(0, 3, 16, FALSE);
    HANDLE writer = CreateMsgQueue(strict.c_str(), &w);
    ASSERT_NE(writer, nullptr);
    int value = 1;
    EXPECT_FALSE(WriteMsgQueue(writer, &value, sizeof value, 0, 0)) << "no reader yet";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_NOT_CONNECTED));
    CloseMsgQueue(writer);

    std::wstring tolerant = UniqueQueueName(L"tolerant");
    MSGQUEUEOPTIONS wb = Options(MSGQUEUE_ALLOW_BROKEN, 3, 16, FALSE);
    writer = CreateMsgQueue(tolerant.c_str(), &wb);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(WriteMsgQueue(writer, &value, sizeof value, 0, 0)) << "broken queue allowed";
    MSGQUEUEOPTIONS rb = Options(MSGQUEUE_ALLOW_BROKEN, 3, 16, TRUE);
    HANDLE reader = CreateMsgQueue(tolerant.c_str(), &rb);
    ASSERT_NE(reader, nullptr);
    CloseMsgQueue(writer);
    int got = 0;
    DWORD read = 0;
    DWORD flags = 0;
    EXPECT_TRUE(ReadMsgQueue(reader, &got, sizeof got, &read, 0, &flags)) << "message outlives its writer";
    EXPECT_EQ(got, 1);
    CloseMsgQueue(reader);
}

TEST(MsgQueue, UnknownHandlesAndBadOptionsAreRefused) {
    MSGQUEUEOPTIONS bad = Options(0, 3, 0, TRUE);
    EXPECT_EQ(CreateMsgQueue(L"x", &bad), nullptr);
    EXPECT_EQ(CreateMsgQueue(L"x", nullptr), nullptr);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    char buffer[4];
    DWORD read = 0;
    DWORD flags = 0;
    EXPECT_FALSE(ReadMsgQueue(event, buffer, sizeof buffer, &read, 0, &flags));
    EXPECT_FALSE(CloseMsgQueue(event));
    CloseHandle(event);
    // A write handle cannot read and a read handle cannot write.
    QueuePair q(UniqueQueueName(L"roles"), MSGQUEUE_ALLOW_BROKEN, 2, 8);
    EXPECT_FALSE(ReadMsgQueue(q.writer, buffer, sizeof buffer, &read, 0, &flags));
    EXPECT_FALSE(WriteMsgQueue(q.reader, buffer, sizeof buffer, 0, 0));
}

TEST(MsgQueue, AnotherProcessWritesByName) {
    std::wstring name = UniqueQueueName(L"shared");
    MSGQUEUEOPTIONS r = Options(MSGQUEUE_ALLOW_BROKEN, 4, 256, TRUE);
    HANDLE reader = CreateMsgQueue(name.c_str(), &r);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(norvane::platform::test::RunChild({L"write-queue", name, L"hello from the child"}), 0u);
    ASSERT_EQ(WaitForSingleObject(reader, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    wchar_t buffer[128] = {};
    DWORD read = 0;
    DWORD flags = 0;
    ASSERT_TRUE(ReadMsgQueue(reader, buffer, sizeof buffer, &read, 0, &flags));
    EXPECT_STREQ(buffer, L"hello from the child");
    CloseMsgQueue(reader);
}

} // namespace
