// The simulated bootloader driven with raw frames, on the pty and on loopback
// TCP: exact replies per command, broadcasts, the serial retry requests, the
// TCP acknowledgements and progress, the checksum at bank close against the
// image loaders' sums, and the faults.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>

#include "link/Rs232.h"
#include "sim/SimBootloader.h"
#include "support/FirmwareImage.h"
#include "support/QtPrinters.h"
#include "upgrade/Upgrade.h"

namespace {

using sim::BootReply;
using sim::BootRequest;
using sim::Bytes;
using sim::Le32Bytes;

constexpr int kBroadcast = sim::kBootBroadcastId;
constexpr int kWaitMs = 3000;  // bound on a reply that should come

QByteArray KeyBytes(const std::array<uint8_t, 7>& k) { return QByteArray(reinterpret_cast<const char*>(k.data()), 7); }

struct BootSim : ::testing::Test {
  sim::SimInverter dev;
  sim::SimBootloader boot{dev};
  Tcomm pty;
  int tcp = -1;

  BootSim() {
    dev.AddSlave(1);
    dev.AddSlave(2);
    dev.SetProductId(1, 71870541);
    dev.SetProductId(2, 0x80A1B2C3);
    dev.SetHolding(1, 802, 0x1234);
  }
  ~BootSim() override {
    if (tcp >= 0) close(tcp);
  }
  void SetUp() override { ASSERT_EQ(pty.Open(dev.PortPath()), 0); }

  void ConnectTcp() {
    const int port = dev.ListenTcp();
    ASSERT_GT(port, 0);
    tcp = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(tcp, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }

  void Send(const QByteArray& bytes, bool overTcp = false) {
    if (overTcp) {
      ASSERT_EQ(send(tcp, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL), bytes.size());
    } else {
      ASSERT_EQ(pty.WriteBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size())), 0);
    }
  }
  // Reads until n bytes came or the bound passed.
  QByteArray Receive(int n, bool overTcp = false) {
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (out.size() < n && t.elapsed() < kWaitMs) {
      if (overTcp) {
        pollfd p{tcp, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char buf[1024];
        const ssize_t got = recv(tcp, buf, sizeof buf, 0);
        if (got <= 0) break;
        out.append(buf, static_cast<int>(got));
      } else {
        if (!pty.WaitInput(50)) continue;
        pty.Read();
        out.append(reinterpret_cast<const char*>(pty.RxBuf), pty.RxCount);
      }
    }
    return out;
  }
  // Sends a request and returns the reply of the expected size; an answer
  // that was not expected shows up in front of the next one.
  QString Ask(const QByteArray& request, int replySize, bool overTcp = false) {
    Send(request, overTcp);
    return sim::HexText(Receive(replySize, overTcp));
  }
  static QString Text(const QByteArray& b) { return sim::HexText(b); }

  void EnterBoot(int id) {
    ASSERT_EQ(Ask(BootRequest(id, 0x05, KeyBytes(sim::kBootMode1Key)), 8), Text(BootReply(id, 0x05)));
    ASSERT_EQ(Ask(BootRequest(id, 0x06, KeyBytes(sim::kBootMode2Key)), 8), Text(BootReply(id, 0x06)));
  }
};

TEST_F(BootSim, InformationAndEnteringTheBootloaderOnThePty) {
  boot.Configure(1, [](sim::BootDevice& d) {
    d.hw[2] = {1, 5};
    d.sw[2] = {2, 23};
    d.serial = "K123456789012345";
    d.model = "INV-5000TL-EU-XX";
  });
  const QByteArray readReg802 = sim::WithCrc(sim::Hex("01 03 03 21 00 01"));
  const QByteArray reg802Reply = sim::WithCrc(sim::Hex("01 03 02 12 34"));
  struct Case {
    QByteArray request, reply;
  };
  const Case cases[] = {
      {BootRequest(1, 0x00), BootReply(1, 0x00, Le32Bytes(71870541))},
      {BootRequest(2, 0x00), BootReply(2, 0x00, sim::Hex("C3 B2 A1 80"))},
      {BootRequest(1, 0x01), BootReply(1, 0x01, "K123456789012345")},
      {BootRequest(1, 0x02), BootReply(1, 0x02, "INV-5000TL-EU-XX")},
      {BootRequest(1, 0x03, Bytes({2})), BootReply(1, 0x03, Bytes({2, 5, 1}))},
      {BootRequest(1, 0x04, Bytes({2})), BootReply(1, 0x04, Bytes({2, 23, 2}))},
      {BootRequest(1, 0x04, Bytes({7})), BootReply(1, 0x84, Bytes({7}), 1)},  // unknown processor
      {BootRequest(2, 0x03, Bytes({2})), BootReply(2, 0x83, Bytes({2}), 1)},
      {BootRequest(1, 0x16), BootReply(1, 0x16, Bytes({3, 0, 0, 0, 0}))},
      {readReg802, reg802Reply},
      {BootRequest(1, 0x06, KeyBytes(sim::kBootMode2Key)), BootReply(1, 0x86)},  // mode 2 before mode 1
      {BootRequest(1, 0x05, KeyBytes(sim::kBootMode2Key)), BootReply(1, 0x85)},  // the wrong sequence
      {BootRequest(1, 0x11, Bytes({2})), {}},  // not in the bootloader: no answer
      {BootRequest(1, 0x05, KeyBytes(sim::kBootMode1Key)), BootReply(1, 0x05)},
      {BootRequest(1, 0x06, KeyBytes(sim::kBootMode2Key)), BootReply(1, 0x06)},
      {readReg802, {}},  // in the bootloader: Modbus goes unanswered
      {BootRequest(1, 0x00), BootReply(1, 0x00, Le32Bytes(71870541))},
      {BootRequest(kBroadcast, 0x11, Bytes({2})), BootReply(1, 0x11, Bytes({2}))},  // slave 2 runs its application
      {BootRequest(kBroadcast, 0x12, Bytes({0}) + Le32Bytes(0x8000)), BootReply(1, 0x12, Bytes({1}) + Le32Bytes(0x8000))},
      {BootRequest(kBroadcast, 0x14, Bytes({0})), BootReply(1, 0x14, Bytes({1}))},
      {readReg802, reg802Reply},  // back in its application
  };
  // An unanswered request is followed by the next: its reply must come first.
  for (const Case& c : cases) {
    Send(c.request);
    if (!c.reply.isEmpty()) EXPECT_EQ(Text(Receive(static_cast<int>(c.reply.size()))), Text(c.reply)) << Text(c.request).toStdString();
  }
  EXPECT_EQ(Ask(BootRequest(1, 0x16), 13), Text(BootReply(1, 0x16, Bytes({3, 0, 0, 0, 0})))) << "nothing left over";

  const sim::BootDevice d = boot.Snapshot(1);
  EXPECT_TRUE(d.normalMode);
  EXPECT_TRUE(d.done);
  EXPECT_EQ(d.processor, 2);
  EXPECT_EQ(d.bankStart, 0x8000u);
  EXPECT_EQ(d.sw.at(2).major, 0) << "swAfterDone is reported after the done step";
  EXPECT_TRUE(boot.Snapshot(2).normalMode);
  const auto frames = dev.Frames();
  ASSERT_EQ(frames.size(), std::size(cases) + 1);
  EXPECT_EQ(frames[0].protocol, "boot");
  EXPECT_EQ(frames[0].line, "pty");
  EXPECT_TRUE(frames[0].crcOk);
  EXPECT_EQ(frames[9].protocol, "rtu");
}

TEST_F(BootSim, BroadcastsAreAnsweredByEveryBootedSlaveThatHears) {
  dev.AddSlave(3);  // stays in its application
  EnterBoot(1);
  EnterBoot(2);
  EXPECT_EQ(Ask(BootRequest(kBroadcast, 0x11, Bytes({4})), 18),
            Text(BootReply(1, 0x11, Bytes({4})) + BootReply(2, 0x11, Bytes({4}))));
  EXPECT_EQ(Ask(BootRequest(2, 0x11, Bytes({5})), 9), Text(BootReply(2, 0x11, Bytes({5})))) << "its own ID: that slave only";

  // A bootloader that listens at its own speed hears nothing at another.
  boot.Configure(2, [](sim::BootDevice& d) { d.bootBaud = 19200; });
  ASSERT_EQ(pty.SetBaud(1), 0);
  EXPECT_EQ(Ask(BootRequest(kBroadcast, 0x14, Bytes({0})), 9), Text(BootReply(1, 0x14, Bytes({1}))));
  ASSERT_EQ(pty.SetBaud(2), 0);
  EXPECT_EQ(Ask(BootRequest(kBroadcast, 0x14, Bytes({0})), 9), Text(BootReply(2, 0x14, Bytes({1}))))
      << "slave 1 has left the bootloader";
  EXPECT_FALSE(boot.Snapshot(3).done);
}

// A small HEX image with an erased row (so the two sums differ) and a BIN
// image, sent block by block as the tool reads them.
struct Image {
  fw::Recorder views;
  upgradeTool tool;
  Image() { tool.Views = &views; }
};

std::vector<std::uint8_t> HexBytes() {
  std::vector<std::uint8_t> img(0x200);
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 13 + 1);
  const auto m = fw::MetaBytes(fw::Meta{});
  std::copy(m.begin(), m.end(), img.begin() + 0x20);
  std::fill(img.begin() + 0x100, img.begin() + 0x180, 0xFF);
  return img;
}

TEST_F(BootSim, BankCloseReportsTheImageChecksumOfWhatArrived) {
  Image hex;
  ASSERT_EQ(hex.tool.LoadHexData(fw::DataLines(0, HexBytes(), 16) + fw::HexLine(1, 0, {}) + "\r\n"), 0)
      << hex.views.messages.join('\n').toStdString();
  const HexInfo& info = hex.tool.Info;
  ASSERT_NE(info.Crc10, info.Crc20);
  EnterBoot(1);
  const int n = hex.tool.Grid.BlockSize();
  const auto bank = [&] { return BootRequest(kBroadcast, 0x12, Bytes({0}) + Le32Bytes(0)); };
  const auto close = [&](int bytes) { return BootRequest(kBroadcast, 0x13, Bytes({0}) + Le32Bytes(uint32_t(bytes))); };
  const auto sumReply = [](int sum) { return Text(BootReply(1, 0x13, Bytes({0, sum & 0xFF, (sum >> 8) & 0xFF}))); };

  // Variant 0x10: every row. The last row goes twice, as after a retry.
  ASSERT_EQ(Ask(bank(), 13), Text(BootReply(1, 0x12, Bytes({1, 0, 0, 0, 0}))));
  const int rows = hex.tool.Grid.ImageRows();
  for (int row : [&] { std::vector<int> v; for (int r = 1; r <= rows; ++r) v.push_back(r); v.push_back(rows); return v; }()) {
    ProgramBlock b;
    ASSERT_EQ(ReadProgramBlock(row, b, hex.tool.Grid, n, info.StopAddress), 0);
    Send(BootRequest(kBroadcast, 0x10, Le32Bytes(b.Address) + QByteArray(reinterpret_cast<const char*>(b.Data.data()), n), n + 5));
  }
  EXPECT_EQ(Ask(close(info.Length10), 11), sumReply(info.Crc10)) << "serial blocks are not acknowledged";
  sim::BootDevice d = boot.Snapshot(1);
  EXPECT_EQ(d.blocks.size(), size_t(rows + 1));
  EXPECT_EQ(d.closedCount, uint32_t(info.Length10));

  // Variant 0x20: the numbered rows only, after a new bank select erased the
  // first run; a checksum fault shifts the reported sum.
  boot.Configure(1, [](sim::BootDevice& d) { d.checksumDelta = 1; });
  ASSERT_EQ(Ask(bank(), 13), Text(BootReply(1, 0x12, Bytes({1, 0, 0, 0, 0}))));
  int sent = 0;
  for (int row = 1; row <= rows; ++row) {
    if (!hex.tool.Grid.Number(row)) continue;
    ProgramBlock b;
    ASSERT_EQ(ReadProgramBlock(row, b, hex.tool.Grid, n, info.StopAddress), 0);
    Send(BootRequest(kBroadcast, 0x20, Le32Bytes(b.Address) + Le32Bytes(b.NextAddress) +
                                           QByteArray(reinterpret_cast<const char*>(b.Data.data()), n),
                     n + 9));
    sent += n;
  }
  ASSERT_EQ(sent, info.Length20);
  EXPECT_EQ(Ask(close(sent), 11), sumReply((info.Crc20 + 1) & 0xFFFF));
  d = boot.Snapshot(1);
  EXPECT_EQ(sim::DeviceChecksum(d), info.Crc20);
  EXPECT_EQ(d.bankCloses, 2);

  // A BIN image sums its blocks in a chain.
  Image bin;
  std::vector<std::uint8_t> bytes(384);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 5);
  const auto m = fw::MetaBytes(fw::Meta{});
  std::copy(m.begin(), m.end(), bytes.begin() + 228);  // the markers in blocks 1 and 2
  ASSERT_EQ(bin.tool.LoadBinData(QByteArray(reinterpret_cast<const char*>(bytes.data()), 384)), 0)
      << bin.views.messages.join(u'\n').toStdString();
  boot.Configure(1, [](sim::BootDevice& d) {
    d.checksumDelta = 0;
    d.sum = sim::BootDevice::Sum::BinChain;
  });
  ASSERT_EQ(Ask(BootRequest(kBroadcast, 0x12, Bytes({0}) + Le32Bytes(0x80000000)), 13),
            Text(BootReply(1, 0x12, Bytes({1}) + Le32Bytes(0x80000000))));
  for (int row = 1; row <= 3; ++row) {
    ProgramBlock b;
    ASSERT_EQ(ReadProgramBlock(row, b, bin.tool.Grid, 128, "0xF0000000"), 0);
    Send(BootRequest(kBroadcast, 0x20, Le32Bytes(b.Address) + Le32Bytes(b.NextAddress) +
                                           QByteArray(reinterpret_cast<const char*>(b.Data.data()), 128),
                     128 + 9));
  }
  EXPECT_EQ(Ask(close(384), 11), sumReply(bin.tool.Info.Crc20));
}

TEST_F(BootSim, SerialRetryRequestsComeAfterTheirBlockOnly) {
  EnterBoot(1);
  EnterBoot(2);
  boot.Configure(1, [](sim::BootDevice& d) { d.retries = {{2, 0x40, 0x90}}; });
  boot.Configure(2, [](sim::BootDevice& d) { d.retries = {{3, 0x20, 0xA0}}; });
  EXPECT_EQ(Ask(BootRequest(kBroadcast, 0x12, Bytes({0}) + Le32Bytes(0)), 26),
            Text(BootReply(1, 0x12, Bytes({1, 0, 0, 0, 0})) + BootReply(2, 0x12, Bytes({1, 0, 0, 0, 0}))));
  const auto block = [](uint32_t address) {
    return BootRequest(kBroadcast, 0x20, Le32Bytes(address) + Le32Bytes(address + 0x20) + QByteArray(32, '\x5A'));
  };
  Send(block(0x00));
  EXPECT_EQ(Ask(block(0x20), 12), Text(BootReply(1, 0x90, Le32Bytes(0x40))));
  EXPECT_EQ(Ask(block(0x40), 12), Text(BootReply(2, 0xA0, Le32Bytes(0x20))));
  // Resent blocks count on; each retry request goes out once.
  Send(block(0x20));
  Send(block(0x40));
  EXPECT_EQ(Ask(BootRequest(2, 0x14, Bytes({0})), 9), Text(BootReply(2, 0x14, Bytes({1}))));
  const sim::BootDevice d = boot.Snapshot(2);
  EXPECT_TRUE(d.retries.empty());
  EXPECT_EQ(d.blocks, (std::vector<uint32_t>{0x00, 0x20, 0x40, 0x20, 0x40}));
  EXPECT_EQ(d.programmed.size(), 3u);
}

TEST_F(BootSim, TcpAcknowledgesBlocksAndReportsProgress) {
  ConnectTcp();
  boot.Configure(1, [](sim::BootDevice& d) {
    d.progress = {40, 100};
    d.nakOnce = {0x1020};
    d.retries = {{1, 0x1000, 0x90}};  // serial only
    d.swAfterDone = {3, 1};
  });
  dev.RemoveSlave(2);
  const bool kTcp = true;
  const QByteArray poll = BootRequest(1, 0x90, Bytes({0}), 1);
  ASSERT_EQ(poll.size(), 9);
  EXPECT_EQ(Ask(BootRequest(1, 0x00), 10, kTcp), Text(BootReply(1, 0x00, Le32Bytes(71870541))));
  EXPECT_EQ(Ask(BootRequest(1, 0x05, KeyBytes(sim::kBootMode1Key)), 8, kTcp), Text(BootReply(1, 0x05)));
  EXPECT_EQ(Ask(BootRequest(1, 0x06, KeyBytes(sim::kBootMode2Key)), 8, kTcp), Text(BootReply(1, 0x06)));
  EXPECT_EQ(Ask(BootRequest(1, 0x11, Bytes({9})), 9, kTcp), Text(BootReply(1, 0x11, Bytes({9}))));
  EXPECT_EQ(Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0x1000)), 13, kTcp),
            Text(BootReply(1, 0x12, Bytes({1}) + Le32Bytes(0x1000))));
  EXPECT_EQ(Ask(poll, 9, kTcp), Text(BootReply(1, 0x90, Bytes({40}), 1)));
  EXPECT_EQ(Ask(poll, 9, kTcp), Text(BootReply(1, 0x90, Bytes({100}), 1)));

  const auto block = [](uint32_t address) {
    return BootRequest(1, 0x20, Le32Bytes(address) + Le32Bytes(address + 0x20) + QByteArray(32, char(address >> 4)));
  };
  EXPECT_EQ(Ask(block(0x1000), 11, kTcp), Text(BootReply(1, 0xA0, Le32Bytes(0x1000))));
  EXPECT_EQ(Ask(block(0x1020), 11, kTcp), Text(BootReply(1, 0xA0, Le32Bytes(0x1021)))) << "acknowledged wrongly once";
  EXPECT_EQ(Ask(block(0x1020), 11, kTcp), Text(BootReply(1, 0xA0, Le32Bytes(0x1020))));
  std::vector<uint8_t> image(32, 0x00);
  image.insert(image.end(), 32, 0x02);
  const uint16_t sum = fw::RefCrc(image.data(), image.size());
  EXPECT_EQ(Ask(BootRequest(1, 0x13, Bytes({0}) + Le32Bytes(64)), 11, kTcp),
            Text(BootReply(1, 0x13, Bytes({0, sum & 0xFF, sum >> 8}))));
  EXPECT_EQ(Ask(BootRequest(1, 0x14, Bytes({0})), 9, kTcp), Text(BootReply(1, 0x14, Bytes({1}))));
  EXPECT_EQ(Ask(poll, 9, kTcp), Text(BootReply(1, 0x90, Bytes({100}), 1))) << "the last percent repeats";
  EXPECT_EQ(Ask(BootRequest(1, 0x04, Bytes({9})), 10, kTcp), Text(BootReply(1, 0x04, Bytes({9, 1, 3}))));

  const sim::BootDevice d = boot.Snapshot(1);
  EXPECT_EQ(d.blocks, (std::vector<uint32_t>{0x1000, 0x1020, 0x1020}));
  EXPECT_EQ(d.retries.size(), 1u);
  EXPECT_EQ(d.polls, 3);
  EXPECT_TRUE(d.normalMode);
  const auto frames = dev.Frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().line, "tcp");
  EXPECT_EQ(frames.back().protocol, "boot");
}

TEST_F(BootSim, FaultsOfTheBootloaderAndOfTheLine) {
  EnterBoot(1);
  boot.Configure(1, [](sim::BootDevice& d) {
    d.silent[0x11] = 1;
    d.errorReply[0x12] = 1;
    d.bootVersion = -1;
  });
  Send(BootRequest(1, 0x16));  // no bootloader version: no answer
  Send(BootRequest(1, 0x11, Bytes({2})));  // lost once
  EXPECT_EQ(Ask(BootRequest(1, 0x11, Bytes({2})), 9), Text(BootReply(1, 0x11, Bytes({2}))));
  EXPECT_EQ(Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)), 8), Text(BootReply(1, 0x92)));
  const QByteArray bankOk = BootReply(1, 0x12, Bytes({1, 0, 0, 0, 0}));
  EXPECT_EQ(Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)), 13), Text(bankOk));
  EXPECT_TRUE(boot.Snapshot(1).silent.empty());

  // A request with a wrong CRC is recorded and not answered.
  QByteArray bad = BootRequest(1, 0x11, Bytes({3}));
  bad[bad.size() - 1] = static_cast<char>(bad[bad.size() - 1] ^ 1);
  Send(bad);
  ASSERT_TRUE(dev.WaitForFrames(7 + 1, kWaitMs));  // the two enter steps, five requests, the bad one
  EXPECT_FALSE(dev.Frames().back().crcOk);
  EXPECT_EQ(boot.Snapshot(1).processor, 2);

  // The line's faults apply to these answers as to any other framing's.
  dev.QueueFault(sim::ReplyFault::BadCrc());
  dev.QueueFault(sim::ReplyFault::Silent());
  dev.QueueFault(sim::ReplyFault::Split({3, 4}, 20));
  QByteArray corrupted = bankOk;
  corrupted[corrupted.size() - 1] = static_cast<char>(corrupted[corrupted.size() - 1] ^ 0x5A);
  EXPECT_EQ(Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)), 13), Text(corrupted));
  Send(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)));
  EXPECT_EQ(Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)), 13), Text(bankOk)) << "split, then whole";
}

// A device that keeps asking drops what it holds from the address it asks
// for; one whose line goes down hears nothing more, and over TCP every frame
// from then on closes the connection.
TEST_F(BootSim, StandingRetryRequestsAndALineLostMidStream) {
  EnterBoot(1);
  boot.Configure(1, [](sim::BootDevice& d) { d.retries = {{2, 0x20, 0x90, true}}; });
  Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)), 13);
  const auto block = [](uint32_t address) {
    return BootRequest(kBroadcast, 0x20, Le32Bytes(address) + Le32Bytes(address + 0x20) + QByteArray(32, '\x11'));
  };
  Send(block(0x00));
  const QString again = Text(BootReply(1, 0x90, Le32Bytes(0x20)));
  EXPECT_EQ(Ask(block(0x20), 12), again);
  EXPECT_EQ(Ask(block(0x40), 12), again) << "asked after every block";
  EXPECT_EQ(boot.Snapshot(1).programmed.size(), 1u) << "only the block before the address asked for";

  ConnectTcp();
  dev.RemoveSlave(2);
  boot.Configure(1, [](sim::BootDevice& d) {
    d.retries.clear();
    d.linkLostAfterBlocks = 2;
  });
  const bool kTcp = true;
  EXPECT_EQ(Ask(BootRequest(1, 0x12, Bytes({0}) + Le32Bytes(0)), 13, kTcp),
            Text(BootReply(1, 0x12, Bytes({1, 0, 0, 0, 0}))));
  const auto tcpBlock = [](uint32_t address) {
    return BootRequest(1, 0x20, Le32Bytes(address) + Le32Bytes(address + 0x20) + QByteArray(32, '\x22'));
  };
  EXPECT_EQ(Ask(tcpBlock(0x00), 11, kTcp), Text(BootReply(1, 0xA0, Le32Bytes(0x00))));
  Send(tcpBlock(0x20), kTcp);
  pollfd p{tcp, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, kWaitMs), 1);
  char byte = 0;
  EXPECT_EQ(recv(tcp, &byte, 1, 0), 0) << "the connection was closed, nothing answered";
  close(tcp);
  ConnectTcp();
  Send(BootRequest(1, 0x00), kTcp);
  p = pollfd{tcp, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, kWaitMs), 1);
  EXPECT_EQ(recv(tcp, &byte, 1, 0), 0) << "a new connection goes down at its first frame";
  const sim::BootDevice d = boot.Snapshot(1);
  EXPECT_TRUE(d.linkLost);
  EXPECT_EQ(d.blocks.size(), 2u);
}

}  // namespace
