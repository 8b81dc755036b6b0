// The bounds-checked encoding layer on its own: every field read or written
// must stay inside its message.
#include "wire.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using namespace quorrin::wire;

TEST(WireReader, FieldsPastTheEndAreNotRead)
{
    const std::array<uint8_t, 5> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A};
    Reader reader(bytes);
    EXPECT_EQ(reader.be16(0), 0x1234);
    EXPECT_EQ(reader.be16(3), 0x789A);
    EXPECT_FALSE(reader.be16(4));
    EXPECT_FALSE(reader.be16(SIZE_MAX));
    EXPECT_EQ(reader.be32(1), 0x3456789Au);
    EXPECT_FALSE(reader.be32(2));
    EXPECT_TRUE(reader.bytes(5, 0));
    EXPECT_FALSE(reader.bytes(2, 4));
    EXPECT_FALSE(reader.bytes(SIZE_MAX, 2));
}

TEST(WireWriter, OverflowIsDroppedAndReported)
{
    std::vector<uint8_t> out(3);
    Writer writer(out);
    const uint8_t data[2] = {1, 2};
    writer.be16(0xABCD).bytes(data, 2);
    EXPECT_FALSE(writer.ok());
    EXPECT_EQ(writer.size(), 2u);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xAB, 0xCD, 0x00}));
}

TEST(WireRequest, OpenCloseAndReadMatchTheDocumentedExamples)
{
    EXPECT_EQ(openRequest(0, 3, "KNETH01N1_M"),
              (std::vector<uint8_t>{0x01, 0x01, 0x00, 0x1A, 0x00, 0x00, 0, 0, 0, 0, 0x00, 0x03, 0x00, 0x0C, 'K', 'N', 'E',
                                    'T', 'H', '0', '1', 'N', '1', '_', 'M', 0x00}));
    EXPECT_EQ(closeRequest(9, 5), (std::vector<uint8_t>{0x01, 0x02, 0x00, 0x0C, 0x00, 0x09, 0, 0, 0, 0, 0x00, 0x05}));
    EXPECT_EQ(readRequest(7, 5, DDI_PD_RECORD{2, 0, 2, nullptr}),
              (std::vector<uint8_t>{0x01, 0x04, 0x00, 0x12, 0x00, 0x07, 0, 0, 0, 0, 0x00, 0x05, 0x00, 0x00, 0x00, 0x02,
                                    0x00, 0x02}));
}

// A node builds every request into the same buffer: a request must come out
// exactly as if built fresh, whatever the buffer held before.
TEST(WireRequest, ReusedBufferHoldsOnlyTheNewRequest)
{
    std::array<uint8_t, 512> image{};
    image.fill(0xEE);
    const DDI_PD_RECORD large{512, 0, 0, image.data()};
    const DDI_PD_RECORD small{2, 4, 0, image.data()};
    const DDI_PD_RECORD read{2, 0, 2, nullptr};
    std::vector<uint8_t> buffer;
    writeRequest(buffer, 1, 5, large);
    EXPECT_EQ(buffer, writeRequest(1, 5, large));
    readRequest(buffer, 2, 5, read);
    EXPECT_EQ(buffer, readRequest(2, 5, read));
    writeRequest(buffer, 3, 5, small);
    EXPECT_EQ(buffer, writeRequest(3, 5, small));
    writeRequest(buffer, 4, 5, large);
    EXPECT_EQ(buffer, writeRequest(4, 5, large));
}

TEST(WireRequest, NotificationCarriesNotify2BeforeNotify1)
{
    auto request = notificationRequest(kSetNotification, 1, 2, DDI_NOTIFY_RECORD{0x01020304, 0x0A0B0C0D, -1});
    EXPECT_EQ(std::vector<uint8_t>(request.begin() + 12, request.end()),
              (std::vector<uint8_t>{0x00, 0x01, 0x0A, 0x0B, 0x0C, 0x0D, 0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(WireReceivedMessage, DataIsLimitedToWhatArrived)
{
    std::vector<uint8_t> message(28, 0xAB);
    message[22] = 0x01;  // the controller claims 256 bytes, four arrived
    message[23] = 0x00;
    auto received = decodeReceivedMessage(Reader(message));
    ASSERT_TRUE(received);
    EXPECT_EQ(received->length, 256);
    EXPECT_EQ(received->data.size(), 4u);
    EXPECT_FALSE(decodeReceivedMessage(Reader(std::span<const uint8_t>(message).first(23))));
}

TEST(WireHeader, LengthsOutsideHeaderAndBufferAreRefused)
{
    auto header = [](uint16_t length) {
        const std::array<uint8_t, 4> bytes = {0x81, 0x04, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
        return decodeHeader(bytes);
    };
    EXPECT_FALSE(header(0));
    EXPECT_FALSE(header(15));
    EXPECT_EQ(header(16)->length, 16);
    EXPECT_EQ(header(2048)->length, 2048);
    EXPECT_FALSE(header(2049));
    EXPECT_FALSE(decodeHeader(std::array<uint8_t, 3>{0x81, 0x04, 0x00}));
}

TEST(WireIndication, DataLengthPastTheMessageIsMalformed)
{
    std::vector<uint8_t> message(27, 0);
    message[0] = 0xC1;
    message[1] = 0x01;
    message[19] = 0x04;  // address 4
    message[21] = 0x03;  // three data bytes, exactly present
    message[23] = 0x02;
    auto indication = decodeProcessDataIndication(Reader(message));
    ASSERT_TRUE(indication);
    EXPECT_EQ(indication->address, 4);
    EXPECT_EQ(indication->attribute, 2);
    EXPECT_EQ(indication->data.size(), 3u);

    message[21] = 0x04;
    EXPECT_FALSE(decodeProcessDataIndication(Reader(message)));
    EXPECT_FALSE(decodeProcessDataIndication(Reader(std::span<const uint8_t>(message).first(23))));
}

TEST(WireException, OnlyBitsThirteenToFifteenSignal)
{
    auto code = [](uint16_t word) {
        std::array<uint8_t, 16> message{};
        message[6] = static_cast<uint8_t>(word >> 8);
        message[7] = static_cast<uint8_t>(word);
        return exceptionCode(Reader(message));
    };
    EXPECT_EQ(code(0x1FFF), 0);
    EXPECT_EQ(code(0x2000), 2);
    EXPECT_EQ(code(0x3ABC), 3);
    EXPECT_EQ(code(0xF000), 15);
}

} // namespace
