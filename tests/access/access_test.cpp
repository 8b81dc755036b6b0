#include "online_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvo {
namespace {

using testing::OnlineTest;

class ControllerAccessTest : public OnlineTest {
protected:
    void SetUp() override {
        OnlineTest::SetUp();
        Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
    }
    std::uint16_t MailboxId() {
        const auto ids = simulator_.controller().openNodes(sim::kMailboxNode);
        return ids.empty() ? 0 : ids.back();
    }
    void Queue(std::vector<std::uint8_t> bytes) {
        sim::MailboxMessage message;
        message.data = std::move(bytes);
        simulator_.controller().queueMessage(MailboxId(), message);
    }
};

TEST_F(ControllerAccessTest, BlankInAddressIsRemovedForGoodAndPairOpens) {
    model_->CurrentIP = " " + address_;
    EXPECT_EQ(access_->OpenNodePair(), DDI_OK);
    EXPECT_EQ(model_->CurrentIP, address_);
    EXPECT_NE(access_->MailboxNode, 0u);
    EXPECT_NE(access_->DataNode, 0u);
    EXPECT_EQ(access_->MailboxNodeName(), "KNETHIP[" + address_ + "|30,30]N1_M");
    EXPECT_EQ(access_->CloseNodePair(), DDI_OK);
    EXPECT_TRUE(access_->NodesClosed());
    EXPECT_EQ(access_->CloseNodePair(), ERR_HANDLE_RANGE);  // both 0: refused by the library, still 0
    EXPECT_TRUE(access_->NodesClosed());
}

TEST_F(ControllerAccessTest, AddressWithLeadingZerosIsReadAsDecimalWhenOpening) {
    // "127.000.000.010" read as octal would be 127.0.0.8, another coupler or none.
    std::string padded;
    std::size_t start = 0;
    for (int group = 0; group < 4; ++group) {
        const std::size_t dot = address_.find('.', start);
        const std::string digits = address_.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        padded += std::string(3 - digits.size(), '0') + digits + (group < 3 ? "." : "");
        start = dot + 1;
    }
    ASSERT_NE(padded, address_);
    model_->CurrentIP = padded;
    EXPECT_EQ(access_->MailboxNodeName(), "KNETHIP[" + address_ + "|30,30]N1_M");
    EXPECT_EQ(access_->DataNodeName(), "KNETHIP[" + address_ + "|30,30]N1_D");
    EXPECT_EQ(access_->OpenNodePair(), DDI_OK);
    EXPECT_NE(access_->DataNode, 0u);
    EXPECT_EQ(access_->CloseNodePair(), DDI_OK);
}

TEST_F(ControllerAccessTest, RefusedMailboxOpenLeavesDataNodeUntouched) {
    model_->CurrentIP = "127.0.0.48";  // nobody listens there
    std::uint32_t mailbox = 0;
    std::uint32_t data = 4711;
    EXPECT_EQ(access_->OpenNodePair(mailbox, data), ERR_NETWORK);
    EXPECT_EQ(data, 4711u);
}

TEST_F(ControllerAccessTest, RestartCommandGoesOutAsSixBigEndianBytes) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    ASSERT_EQ(access_->SendCommand(CmdRestart, access_->MailboxNode), DDI_OK);
    const auto sent = simulator_.controller().sentMessages(MailboxId());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, (sim::Bytes{0x09, 0x56, 0x00, 0x01, 0x00, 0x00}));
}

TEST_F(ControllerAccessTest, ConfirmationResultWordIsReturned) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    Queue({0x89, 0x56, 0x00, 0x01, 0x00, 0x00});
    EXPECT_EQ(access_->ConfirmCommand(0x8956, access_->MailboxNode), 0u);
    Queue({0x89, 0x56, 0x00, 0x01, 0x00, 0x05});
    EXPECT_EQ(access_->ConfirmCommand(0x8956, access_->MailboxNode), 5u);
    EXPECT_EQ(access_->MailboxBuffer[0], 0x8956);
}

TEST_F(ControllerAccessTest, OtherMessagesAreSkippedUntilTheAwaitedCode) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    Queue({0x83, 0x0B, 0x00, 0x01, 0x00, 0x07});
    Queue({0x89, 0x56, 0x00, 0x01, 0x00, 0x00});
    EXPECT_EQ(access_->ConfirmCommand(0x8956, access_->MailboxNode), 0u);
}

TEST_F(ControllerAccessTest, NothingWaitingEndsAfterTwoSecondsWithTheControllersCode) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    clock_.now = 0;
    const std::uint32_t result = access_->ConfirmCommand(0x8956, access_->MailboxNode);
    EXPECT_EQ(result & 0xFFFF0000u, ERR_DEVICE_BASE);
    EXPECT_NE(result, ERR_DEVICE_BASE);
    EXPECT_GT(clock_.now, 2000u);
    EXPECT_LT(clock_.now, 2100u);
}

TEST_F(ControllerAccessTest, SilentControllerTimesOutAndDropsTheMailboxNode) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    simulator_.inject(sim::Fault::silent(0x0106));
    // The library's receive timeout outlasts the 2 s wait, as with its 3 s default.
    clock_.step = 3000;
    EXPECT_EQ(access_->ConfirmCommand(0x8956, access_->MailboxNode), ERR_TIMEOUT);
    DDI_MSG_RECORD record{0, 6, 0, access_->OutputImage.data()};
    EXPECT_NE(DDI_MXI_SndMessage(access_->MailboxNode, &record), DDI_OK);
}

TEST_F(ControllerAccessTest, ShortMessageLeavesNoStaleWords) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    std::array<std::uint16_t, 8> words;
    words.fill(0xDEAD);
    Queue({0x89, 0x56, 0x00, 0x04, 0x00, 0x07});  // announces four parameters, carries one
    ASSERT_EQ(access_->ReceiveMessage(access_->MailboxNode, words), DDI_OK);
    EXPECT_EQ(words[0], 0x8956);
    EXPECT_EQ(words[2], 7);
    EXPECT_EQ(words[3], 0);
    EXPECT_EQ(words[5], 0);
    EXPECT_EQ(words[6], 0xDEAD);  // behind the announced words: untouched
}

TEST_F(ControllerAccessTest, ConfirmationLongerThanTheMailboxBufferKeepsItsFirstWords) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    std::vector<std::uint8_t> message(1100, 0x11);
    const std::vector<std::uint8_t> head = {0x89, 0x56, 0x00, 0x01, 0x00, 0x00};
    std::copy(head.begin(), head.end(), message.begin());
    Queue(message);
    EXPECT_EQ(access_->ConfirmCommand(0x8956, access_->MailboxNode), 0u);
    EXPECT_EQ(access_->MailboxBuffer[0], 0x8956);
    EXPECT_TRUE(access_->NodesOpen());
}

TEST_F(ControllerAccessTest, ProcessImagesRoundTripAndStayBounded) {
    ASSERT_EQ(access_->OpenNodePair(), DDI_OK);
    station_->stop();
    simulator_.controller().setInputs(10, std::vector<std::uint8_t>{7, 8, 9});
    ASSERT_EQ(access_->ReadProcessData(access_->DataNode, 10, 3), DDI_OK);
    EXPECT_EQ(access_->InputImage[0], 7);
    EXPECT_EQ(access_->InputImage[2], 9);
    access_->OutputImage[0] = 0x55;
    access_->OutputImage[1] = 0xAA;
    ASSERT_EQ(access_->WriteProcessData(access_->DataNode, 4, 2), DDI_OK);
    EXPECT_EQ(simulator_.controller().outputs(4, 2), (sim::Bytes{0x55, 0xAA}));
    EXPECT_EQ(access_->ReadProcessData(access_->DataNode, 0, 513), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(access_->WriteProcessData(access_->DataNode, 0, 600), ERR_INVALID_ARGUMENT);
}

TEST(SwapBytes, ExchangesTheTwoBytes) {
    EXPECT_EQ(SwapBytes(0x0956), 0x5609);
    EXPECT_EQ(ConfirmationCode(CmdReadConfiguration), 0x830B);
    EXPECT_EQ(ConfirmationCode(Cmd1303), 0x9303);
}

}  // namespace
}  // namespace korvo
