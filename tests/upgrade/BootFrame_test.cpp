// Bootloader frames: the request layout and the reply searches, over bytes
// alone. The searches must find a device's reply behind stray bytes, never
// take a frame whose CRC is wrong or that is cut off, and never read past
// the bytes received.
#include <gtest/gtest.h>

#include <vector>

#include "sim/SimInverter.h"
#include "upgrade/BootFrame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Framed(std::initializer_list<int> b) {
  const QByteArray f = sim::WithCrc(sim::Bytes(b));
  return Bytes(f.begin(), f.end());
}
Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(BootFrame, RequestsCarryAddressLengthCommandPayloadAndCrc) {
  struct Case {
    std::uint16_t address;
    std::uint8_t length, command;
    Bytes payload;
    const char* frame;  // without the CRC
  } cases[] = {
      {5, 1, boot::kReadProductId, {}, "05 00 FF FF 01 00"},
      {5, 8, boot::kEnterMode1, {boot::kEnterBootMode1.begin(), boot::kEnterBootMode1.end()},
       "05 00 FF FF 08 05 51 6F 72 42 6F 6F 74"},
      {boot::kBroadcastId, 2, boot::kSelectProcessor, {2}, "00 E0 FF FF 02 11 02"},
      {boot::kBroadcastId, 6, boot::kSelectBank, {0, 0x00, 0x40, 0x00, 0x80}, "00 E0 FF FF 06 12 00 00 40 00 80"},
      {1, 1, boot::kRetry90, {0}, "01 00 FF FF 01 90 00"},  // the TCP poll: one byte beyond its length
  };
  for (const Case& c : cases) {
    std::uint8_t buf[64] = {};
    const int size = boot::BuildRequest(buf, sizeof buf, c.address, c.length, c.command, c.payload.data(),
                                        static_cast<int>(c.payload.size()));
    const QByteArray expected = sim::WithCrc(sim::Hex(QString::fromLatin1(c.frame)));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buf), size), expected) << c.frame;
  }
  std::uint8_t small[8];
  const std::uint8_t two[2] = {1, 2};
  EXPECT_EQ(boot::BuildRequest(small, sizeof small, 1, 3, 0x11, two, 2), 0) << "a frame that does not fit is not built";
}

TEST(BootFrame, RepliesAreFoundBehindStrayBytesAndOnlyWithTheirCrc) {
  const Bytes stray = {0x00, 0xFF, 0x12};
  const Bytes processor = Framed({0xFF, 0xFF, 5, 0, 2, 0x11, 0});
  const Bytes bank = Framed({0xFF, 0xFF, 5, 0, 6, 0x12, 1, 0, 0, 0, 0x80});
  const Bytes done = Framed({0xFF, 0xFF, 5, 0, 2, 0x14, 3});
  const Bytes sum = Framed({0xFF, 0xFF, 5, 0, 4, 0x13, 0, 0x34, 0x12});

  Bytes rx = Cat(stray, processor);
  EXPECT_EQ(boot::FindProcessorReply(rx.data(), int(rx.size()), 5), 3);
  EXPECT_EQ(boot::FindProcessorReply(rx.data(), int(rx.size()), 6), -1) << "another device's reply";
  rx.back() ^= 0x01;
  EXPECT_EQ(boot::FindProcessorReply(rx.data(), int(rx.size()), 5), -1) << "wrong CRC";
  rx = Cat(stray, bank);
  EXPECT_EQ(boot::FindBankReply(rx.data(), int(rx.size()), 5), 3);
  EXPECT_EQ(boot::FindBankReply(rx.data(), int(rx.size()) - 1, 5), -1) << "cut off";
  rx = Cat(stray, done);
  EXPECT_EQ(boot::FindDoneReply(rx.data(), int(rx.size()), 5), 3);
  rx = Cat(Cat(Framed({0xFF, 0xFF, 5, 0, 4, 0x93, 0, 0, 0}), stray), sum);
  const int first = boot::NextChecksumReply(rx.data(), int(rx.size()), 5, 0);
  EXPECT_EQ(first, 0) << "any length-4 frame of the device is a candidate";
  EXPECT_EQ(boot::NextChecksumReply(rx.data(), int(rx.size()), 5, first + 1), 14);
}

TEST(BootFrame, EnterBootRepliesTellOkFromError) {
  struct Case {
    Bytes rx;
    int mode;
    int at;
    bool ok;
  } cases[] = {
      {Framed({0xFF, 0xFF, 5, 0, 1, 0x05}), 1, 0, true},
      {Framed({0xFF, 0xFF, 5, 0, 1, 0x85}), 1, 0, false},       // error reply with a valid CRC
      {Cat({0xAA}, Framed({0x00, 0xFF, 5, 0, 1, 0x06})), 2, 1, true},  // mode 2 takes either FF
      {Framed({0x00, 0xFF, 5, 0, 1, 0x05}), 1, -1, false},      // mode 1 needs both
      {Framed({0xFF, 0xFF, 5, 1, 1, 0x05}), 1, -1, false},      // ID 0x105 is not device 5
  };
  for (const Case& c : cases) {
    bool ok = true;
    EXPECT_EQ(boot::FindEnterBootReply(c.rx.data(), int(c.rx.size()), 5, c.mode, ok), c.at);
    EXPECT_EQ(ok, c.ok);
  }
}

TEST(BootFrame, RetryRequestsComeOnlyFromDevicesTheCallerTakes) {
  const Bytes fromFar = Framed({0xFF, 0xFF, 254, 0, 5, 0x90, 0, 1, 0, 0});
  const Bytes fromFive = Framed({0xFF, 0xFF, 5, 0, 5, 0xA0, 0x80, 0, 0, 0});
  const Bytes rx = Cat(fromFar, fromFive);
  auto inTable = [](int id) { return id >= 1 && id <= 253; };
  EXPECT_EQ(boot::NextRetryRequest(rx.data(), int(rx.size()), 0, inTable), 12);
  EXPECT_EQ(boot::NextRetryRequest(rx.data(), int(rx.size()), 13, inTable), -1);
  EXPECT_EQ(boot::NextRetryRequest(rx.data(), 23, 0, inTable), -1) << "a request cut off is no request";
}

TEST(BootFrame, VersionReplyNeedsItsCrcAndProcessor) {
  Bytes rx = Framed({0xFF, 0xFF, 5, 0, 4, 0x04, 2, 23, 1});
  EXPECT_TRUE(boot::IsSwVersionReply(rx.data(), int(rx.size()), 2));
  EXPECT_FALSE(boot::IsSwVersionReply(rx.data(), int(rx.size()), 3));
  EXPECT_FALSE(boot::IsSwVersionReply(rx.data(), 9, 2)) << "without its CRC";
  rx[9] ^= 0xFF;
  EXPECT_FALSE(boot::IsSwVersionReply(rx.data(), int(rx.size()), 2));
}

}  // namespace
