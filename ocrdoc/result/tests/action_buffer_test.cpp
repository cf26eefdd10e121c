#include "ocrdoc/result/action_buffer.h"

#include "ocrdoc/tests/fake_document_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {


const WORD kCounts[3] = {4, 0x1234, 65535};

}  // namespace

TEST(ActionBuffer, RecordsComeBackNewestFirstWithTheirFields) {
    CActionBuffer buffer;
    EXPECT_EQ(buffer.CanUndo(), 0);
    const BYTE removed[3] = {'a', 0x80, 'c'};
    const BYTE oldCode[3] = {0xB0, 0xA1, 'D'};
    ASSERT_EQ(buffer.PushAction(ACTION_INSERT, 3, kCounts, 10, 2, nullptr, 0), 1);
    ASSERT_EQ(buffer.PushAction(ACTION_DELETE, 3, kCounts, 20, 3, removed, 0), 1);
    ASSERT_EQ(buffer.PushAction(ACTION_RECODE, 1, kCounts + 2, 30, 3, oldCode, 3), 1);

    CActionRecord r;
    ASSERT_EQ(buffer.PopAction(&r), 1);
    EXPECT_EQ(r.nKind, ACTION_RECODE);
    EXPECT_EQ(r.nCounts, 1);
    EXPECT_EQ(r.Count(0), 65535);
    EXPECT_EQ(r.dwOffset, 30u);
    EXPECT_EQ(r.nValue, 3);
    EXPECT_EQ(std::vector<BYTE>(r.pPayload, r.pPayload + 3), std::vector<BYTE>(oldCode, oldCode + 3));

    ASSERT_EQ(buffer.PopAction(&r), 1);
    EXPECT_EQ(r.nKind, ACTION_DELETE);
    EXPECT_EQ(r.Count(1), 0x1234);
    EXPECT_EQ(std::vector<BYTE>(r.pPayload, r.pPayload + 3), std::vector<BYTE>(removed, removed + 3));

    ASSERT_EQ(buffer.PopAction(&r), 1);
    EXPECT_EQ(r.nKind, ACTION_INSERT);
    EXPECT_EQ(r.nLength, 2);
    EXPECT_EQ(r.pPayload, nullptr);
    EXPECT_EQ(buffer.CanUndo(), 0);
    EXPECT_EQ(buffer.PopAction(&r), 0) << "an empty history gives nothing";
}

TEST(ActionBuffer, RecordLengthsFollowTheKind) {
    EXPECT_EQ(CActionBuffer::RecordLength(ACTION_REPLACE, 3, 10), 37) << "10 bytes replaced, 3 regions";
    EXPECT_EQ(CActionBuffer::RecordLength(ACTION_INSERT, 3, 10), 23);
    EXPECT_EQ(CActionBuffer::RecordLength(ACTION_DELETE, 3, 10), 33);
    EXPECT_EQ(CActionBuffer::RecordLength(ACTION_RECODE, 2, 3), 28);
}

TEST(ActionBuffer, ARecordThatDoesNotFitDropsTheHistory) {
    CActionBuffer buffer;
    std::vector<BYTE> big(40000, 'x');
    ASSERT_EQ(buffer.PushAction(ACTION_DELETE, 3, kCounts, 0, 40000, big.data(), 0), 1);
    ASSERT_EQ(buffer.PushAction(ACTION_DELETE, 3, kCounts, 1, 30000, big.data(), 0), 1);
    CActionRecord r;
    ASSERT_EQ(buffer.PopAction(&r), 1);
    EXPECT_EQ(r.dwOffset, 1u);
    EXPECT_EQ(buffer.CanUndo(), 0) << "only the newest record was kept";
}

TEST(ActionBuffer, RefusedRecordsLeaveTheHistoryAlone) {
    CFakeDocumentHost shell;
    CActionBuffer buffer;
    ASSERT_EQ(buffer.PushAction(ACTION_INSERT, 3, kCounts, 5, 1, nullptr, 0), 1);
    EXPECT_EQ(buffer.PushAction(ACTION_INSERT, 0, kCounts, 5, 1, nullptr, 0), 0) << "no line counts: no record";
    EXPECT_EQ(buffer.PushAction(ACTION_INSERT, 3, nullptr, 5, 1, nullptr, 0), 0);
    EXPECT_EQ(buffer.PushAction(ACTION_INSERT, 3, kCounts, 5, 0, nullptr, 0), 0);
    EXPECT_EQ(buffer.PushAction(ACTION_DELETE, 3, kCounts, 5, 4, nullptr, 0), 0) << "a delete needs its bytes";
    EXPECT_TRUE(shell.messages.empty());
    std::vector<BYTE> huge(70000, 'y');
    EXPECT_EQ(buffer.PushAction(ACTION_DELETE, 3, kCounts, 0, 70000, huge.data(), 0), 0);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], kMsgNoEnoughActionBuffer);
    CActionRecord r;
    ASSERT_EQ(buffer.PopAction(&r), 1) << "the earlier record survives a refused one";
    EXPECT_EQ(r.dwOffset, 5u);
}
