// Frames, CRCs and reply checks of the link object, without any port.
#include <gtest/gtest.h>

#include <QByteArray>
#include <cstring>
#include <memory>
#include <vector>

#include "link/Modbus.h"
#include "sim/SimInverter.h"

namespace {

QString TxHex(const Modbus& m, int n) {
  return sim::HexText(QByteArray(reinterpret_cast<const char*>(m.Port.TxBuf), n));
}

void SetReply(Modbus& m, const QByteArray& bytes) {
  std::memset(m.Reply, 0, sizeof m.Reply);
  std::memcpy(m.Reply, bytes.constData(), static_cast<size_t>(bytes.size()));
  m.RxLength = static_cast<int>(bytes.size());
}

// Every ID the link can address, 255 of the Wi-Fi link included, has a slot.
static_assert(sizeof(Modbus::IdPresent) / sizeof(int) == 256);
static_assert(sizeof(Modbus::IdBaudIndex) / sizeof(int) == 256);
static_assert(sizeof(Modbus::IdProductId) / sizeof(int) == 256);
static_assert(sizeof(Modbus::IdNormalMode) / sizeof(int) == 256 && sizeof(Modbus::ScanAux2) / sizeof(int) == 256);

}  // namespace

TEST(ModbusCrc, KnownFrames) {
  const uint8_t read[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
  EXPECT_EQ(Modbus::Crc16(read, 6), 0x0A84);  // 84 0A on the wire
  const uint8_t stx[] = {0x05, 0x01, 0x02, 0x10, 0x02};
  EXPECT_EQ(Modbus::Crc16StxEtx(&stx[0], &stx[4]), 0x3DE0);
  // A range that is empty or reversed covers the first byte alone.
  EXPECT_EQ(Modbus::Crc16StxEtx(&stx[2], &stx[1]), Modbus::Crc16StxEtx(&stx[2], &stx[2]));
  EXPECT_NE(Modbus::Crc16StxEtx(&stx[2], &stx[2]), 0);
}

TEST(ModbusCrc, ContinuationRoutines) {
  std::vector<uint8_t> data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  const uint16_t whole = Modbus::Crc16(data.data(), 300);
  // Resumed block by block from 0xFFFF it is the CRC of the whole.
  uint16_t r = 0xFFFF;
  for (int at = 0; at < 300; at += 128) {
    const int n = std::min(128, 300 - at);
    r = Modbus::Crc16Continue(&data[at], n, r & 0xFF, r >> 8);
  }
  EXPECT_EQ(r, whole);
  // The word form equals the plain CRC from 0xFFFF ...
  EXPECT_EQ(Modbus::Crc16ContinueWord(data.data(), 300, 0xFFFF), whole);
  // ... but fed back unchanged it seeds each block with the bytes exchanged.
  const uint16_t first = Modbus::Crc16ContinueWord(&data[0], 128, 0xFFFF);
  const uint16_t chained = Modbus::Crc16ContinueWord(&data[128], 128, first);
  const uint16_t swapped = static_cast<uint16_t>((first >> 8) | (first << 8));
  EXPECT_EQ(chained, Modbus::Crc16Continue(&data[128], 128, swapped & 0xFF, swapped >> 8));
  EXPECT_NE(chained, Modbus::Crc16(data.data(), 256));
}

TEST(ModbusFrames, RequestsAsOnTheWire) {
  struct Case {
    int slave;
    uint16_t reg;
    int16_t value;
    uint8_t function;
    const char* frame;
  };
  const Case cases[] = {
      {1, 1, 1, 3, "01 03 00 00 00 01 84 0A"},
      {1, 802, 5, 6, "01 06 03 21 00 05 19 87"},
      {1, 0, 1, 3, nullptr},       // register 0 wraps to FF FF
      {1, 0xEC63, 1, 6, nullptr},  // EC 62 on the wire
      {7, 24576, -256, 5, nullptr},
  };
  for (const Case& c : cases) {
    auto m = std::make_unique<Modbus>();
    m->SlaveId = static_cast<uint8_t>(c.slave);
    EXPECT_EQ(m->Request(c.reg, c.value, c.function), 0);  // no link: nothing sent
    EXPECT_EQ(m->TxLength, 8);
    if (c.frame) EXPECT_EQ(TxHex(*m, 8), c.frame);
    const uint8_t* f = m->Port.TxBuf;
    EXPECT_EQ(f[0], c.slave);
    EXPECT_EQ(f[1], c.function);
    EXPECT_EQ((f[2] << 8) | f[3], static_cast<uint16_t>(c.reg - 1));
    EXPECT_EQ((f[4] << 8) | f[5], static_cast<uint16_t>(c.value));
    EXPECT_EQ(m->Crc16(f, 6), f[6] | (f[7] << 8));
    EXPECT_EQ(m->TxCount, 0);
  }
}

TEST(ModbusFrames, Write32AndOlderLineFrames) {
  auto m = std::make_unique<Modbus>();
  m->SlaveId = 1;
  EXPECT_EQ(m->WriteRegister32(785, 0x12345678), 0);
  EXPECT_EQ(m->TxLength, 13);
  EXPECT_EQ(TxHex(*m, 13), "01 10 03 10 00 02 04 12 34 56 78 9D 67");

  EXPECT_EQ(m->RequestStxEtx(16, 2), 0);
  EXPECT_EQ(m->TxLength, 9);
  EXPECT_EQ(TxHex(*m, 9), "02 05 01 02 10 02 E0 3D 03");
}

TEST(ModbusFrames, RadioPayloadAndCommandText) {
  auto m = std::make_unique<Modbus>();
  m->LinkMode = LinkRadio;
  m->SlaveId = 1;
  m->TxLength = 8;
  m->Request(40963, 1, 4);  // the radio exchange itself is not available: the request fails
  EXPECT_EQ(TxHex(*m, 13), "01 04 A0 02 00 01 35 A4 E9 00 FF 05 42");
  EXPECT_EQ(m->Port.CmdText, "rf tx 0104A0020001" "35A4E900FF0542");
  EXPECT_EQ(m->TxLength, 8);  // left as it was on this link
}

TEST(ModbusFrames, EveryRequestStartsWithAnEmptyReply) {
  auto m = std::make_unique<Modbus>();
  m->SlaveId = 0;  // address 0 is never sent
  SetReply(*m, sim::Hex("01 03 02 00 2A 39 9B"));
  m->ReplyValid = 1;
  m->LinkMode = LinkSerial;  // port closed: address 0 returns before touching it
  EXPECT_EQ(m->Request(1, 1, 3), 0);
  EXPECT_EQ(m->RxLength, 0);
  EXPECT_EQ(m->ReplyValid, 0);
  EXPECT_EQ(m->Reply[0], 0);
  EXPECT_EQ(m->Reply[4], 0);
  EXPECT_EQ(m->TxCount + m->NoReplyCount + m->CrcErrors + m->FailStreak, 0);

  // No link at all: the same.
  m->LinkMode = LinkNone;
  m->SlaveId = 1;
  SetReply(*m, sim::Hex("01 03 02 00 2A 39 9B"));
  m->ReplyValid = 1;
  EXPECT_EQ(m->Request(1, 1, 3), 0);
  EXPECT_EQ(m->RxLength, 0);
  EXPECT_EQ(m->ReplyValid, 0);
  EXPECT_EQ(m->NoReplyCount + m->FailStreak, 0);
}

TEST(ModbusReplyCheck, CrcInTheRequestsFraming) {
  auto m = std::make_unique<Modbus>();
  m->SlaveId = 1;
  m->Request(1, 1, 3);  // an RTU request is in TxBuf

  SetReply(*m, sim::Hex("01 03 02 00 2A 39 9B"));
  EXPECT_TRUE(m->CheckReplyCrc());
  SetReply(*m, sim::Hex("01 03 02 00 2A 39 9C"));
  EXPECT_FALSE(m->CheckReplyCrc());
  // Three bytes are never a reply, even when the last two match a CRC.
  QByteArray three = sim::WithCrc(sim::Bytes({0x01}));
  SetReply(*m, three);
  EXPECT_FALSE(m->CheckReplyCrc());

  // A Modbus reply from address 2 whose CRC ends in 0x03 is a Modbus reply.
  m->SlaveId = 2;
  m->Request(1, 1, 3);
  QByteArray r;
  for (int v = 0; v < 65536; ++v) {
    r = sim::WithCrc(sim::Bytes({0x02, 0x03, 0x02, v >> 8, v & 0xFF}));
    if (static_cast<uint8_t>(r.back()) == 0x03) break;
  }
  ASSERT_EQ(static_cast<uint8_t>(r.back()), 0x03);
  SetReply(*m, r);
  EXPECT_TRUE(m->CheckReplyCrc());

  // After an older-line request the reply is checked as an older-line frame.
  m->SlaveId = 1;
  m->RequestStxEtx(16, 2);
  QByteArray body = sim::Bytes({0x06, 0x01, 0x04, 0x10, 0x02, 0x12, 0x34});
  const uint16_t arc = Modbus::Crc16StxEtx(reinterpret_cast<const uint8_t*>(body.constData()),
                                           reinterpret_cast<const uint8_t*>(body.constData()) + body.size() - 1);
  QByteArray framed = sim::Bytes({0x02}) + body + sim::Bytes({arc & 0xFF, arc >> 8, 0x03});
  SetReply(*m, framed);
  EXPECT_TRUE(m->CheckReplyCrc());
  framed[1] = 0x15;  // not accepted by the inverter: still a sound frame, the views ignore it
  const uint16_t arc2 = Modbus::Crc16StxEtx(reinterpret_cast<const uint8_t*>(framed.constData()) + 1,
                                            reinterpret_cast<const uint8_t*>(framed.constData()) + framed.size() - 4);
  framed[framed.size() - 3] = static_cast<char>(arc2 & 0xFF);
  framed[framed.size() - 2] = static_cast<char>(arc2 >> 8);
  SetReply(*m, framed);
  EXPECT_TRUE(m->CheckReplyCrc());
  SetReply(*m, sim::Hex("01 03 02 00 2A 39 9B"));  // an RTU frame does not answer it
  EXPECT_FALSE(m->CheckReplyCrc());
}

// Fewer bytes than the smallest frame that answers the request are no reply,
// even when the bytes that stand where its CRC would be match.
TEST(ModbusReplyCheck, ShorterThanTheSmallestFrameIsNoReply) {
  // STX, body, CRC-16/ARC of the body, ETX.
  const auto older = [](const QByteArray& body) {
    const auto* b = reinterpret_cast<const uint8_t*>(body.constData());
    const uint16_t arc = Modbus::Crc16StxEtx(b, b + body.size() - 1);
    return sim::Bytes({0x02}) + body + sim::Bytes({arc & 0xFF, arc >> 8, 0x03});
  };
  struct Case {
    bool olderLine;
    QByteArray reply;
    bool valid;
  };
  const Case cases[] = {
      {true, sim::Hex("02 C1 90 03"), false},  // its CRC covers one byte of itself
      {true, older(sim::Bytes({0x06})), false},
      {true, older(sim::Bytes({0x06, 0x01})), false},
      {true, older(sim::Bytes({0x06, 0x01, 0x00})), true},  // status, address and an empty count
      {false, sim::WithCrc(sim::Bytes({0x01, 0x06})), false},
      {false, sim::WithCrc(sim::Bytes({0x01, 0x86, 0x02})), true},  // an exception reply
  };
  for (const Case& c : cases) {
    auto m = std::make_unique<Modbus>();
    m->SlaveId = 1;
    if (c.olderLine)
      m->RequestStxEtx(16, 2);
    else
      m->Request(802, 5, 6);
    SetReply(*m, c.reply);
    EXPECT_EQ(m->CheckReplyCrc(), c.valid) << sim::HexText(c.reply).toStdString();
  }
}

TEST(ModbusReplyCheck, ByteCountAndLengthOfReads) {
  struct Case {
    int count;
    uint8_t function;
    const char* reply;
    bool ok;
  };
  const Case cases[] = {
      {1, 3, "01 03 02 00 2A", true},
      {2, 3, "01 03 02 00 2A", false},           // one word short
      {2, 4, "01 04 04 00 01 00 02", true},
      {2, 4, "01 04 02 00 01 00 02", false},     // count byte disagrees with the length
      {1, 1, "01 01 01 01", true},
      {10, 1, "01 01 02 FF 03", true},           // ten coils fill two bytes
      {10, 1, "01 01 01 FF", false},
      {1, 3, "01 83 02", true},                  // exception replies have their own form
      {5, 6, "01 06 03 21 00 05", true},
  };
  for (const Case& c : cases) {
    auto m = std::make_unique<Modbus>();
    m->SlaveId = 1;
    m->Request(1, static_cast<int16_t>(c.count), c.function);
    SetReply(*m, sim::WithCrc(sim::Hex(c.reply)));
    EXPECT_TRUE(m->CheckReplyCrc()) << c.reply;
    EXPECT_EQ(m->CheckReplyShape(), c.ok) << c.reply;
  }
}

TEST(ModbusReplyCheck, ExpectedLengthFromTheRequest) {
  auto m = std::make_unique<Modbus>();
  m->SlaveId = 1;
  struct Case {
    uint8_t function;
    int16_t count;
    int expected;
  };
  for (const Case& c : {Case{3, 1, 7}, Case{4, 60, 125}, Case{1, 1, 6}, Case{1, 9, 7}, Case{5, -256, 8},
                        Case{6, 5, 8}}) {
    m->Request(100, c.count, c.function);
    EXPECT_EQ(m->ExpectedReplyLength(nullptr, 0), c.expected) << int(c.function);
    const uint8_t exception[] = {0x01, static_cast<uint8_t>(c.function | 0x80)};
    EXPECT_EQ(m->ExpectedReplyLength(exception, 2), 5);
  }
  m->WriteRegister32(785, 1);
  EXPECT_EQ(m->ExpectedReplyLength(nullptr, 0), 8);
  m->RequestStxEtx(16, 2);
  const uint8_t head[] = {0x02, 0x06, 0x01, 0x04};
  EXPECT_EQ(m->ExpectedReplyLength(head, 4), 11);
}

TEST(ModbusBuffer, CheckBufferCrc) {
  const QByteArray good = sim::WithCrc(sim::Hex("01 04 02 12 34"));
  EXPECT_TRUE(Modbus::CheckBufferCrc(reinterpret_cast<const uint8_t*>(good.constData()), static_cast<int>(good.size())));
  EXPECT_FALSE(Modbus::CheckBufferCrc(reinterpret_cast<const uint8_t*>(good.constData()), 4));
  const QByteArray three = sim::WithCrc(sim::Bytes({0x07}));
  EXPECT_FALSE(Modbus::CheckBufferCrc(reinterpret_cast<const uint8_t*>(three.constData()), 3));
}
