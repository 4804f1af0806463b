// Serial transactions end to end: the link object of a headless main window
// talks to the simulated inverter over a pseudo-terminal.
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QScrollArea>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "app/GroupPanel.h"
#include "app/LogViews.h"
#include "app/main.h"
#include "link/LineClock.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/QtPrinters.h"

namespace {

using sim::ReplyFault;

QString ReplyHex(const Modbus& m) {
  return sim::HexText(QByteArray(reinterpret_cast<const char*>(m.Reply), m.RxLength));
}

class SerialExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.AddSlave(1);
    sim.SetHolding(1, 1, 42);
    ASSERT_EQ(link().OpenSerial(sim.PortPath()), 0);
    link().LinkMode = LinkSerial;
    link().SlaveId = 1;
    link().IdBaudIndex[1] = 1;
    link().SetBaudIndex(1);
    form.EventLog()->clear();
  }
  void TearDown() override { link().Port.Close(); }

  Modbus& link() { return form.Link; }
  QStringList Log() const {
    const QString text = form.EventLog()->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
  }
  QStringList SentFrames() const {
    QStringList out;
    for (const auto& f : sim.Frames()) out << sim::HexText(f.bytes);
    return out;
  }
  ValueLabel* AddLabel(const QString& text, QRgb colour) {
    auto* l = new ValueLabel(form.ScrollPage(0)->widget());
    l->setText(text);
    l->setFontColor(colour);
    return l;
  }
  QString Counters() const {
    return QString("tx=%1 noreply=%2 crc=%3 streak=%4")
        .arg(form.Link.TxCount)
        .arg(form.Link.NoReplyCount)
        .arg(form.Link.CrcErrors)
        .arg(form.Link.FailStreak);
  }

  FakeDialogs dialogs;
  sim::SimInverter sim;
  TForm_Main form;
};

}  // namespace

TEST_F(SerialExchange, GoodRepliesWithTheirFramesAndLog) {
  sim.SetHoldingBlock(1, 1000, std::vector<uint16_t>(60, 0));
  for (int i = 0; i < 60; ++i) sim.SetHolding(1, 1000 + i, static_cast<uint16_t>(0x0100 + i));
  sim.SetCoil(1, 24576, true);

  struct Case {
    const char* what;
    std::function<int(Modbus&)> run;
    QString sent;
    int replyLength;
  };
  const Case cases[] = {
      {"read one", [](Modbus& m) { return m.Request(1, 1, 3); }, "01 03 00 00 00 01 84 0A", 7},
      {"read sixty", [](Modbus& m) { return m.Request(1000, 60, 3); }, sim::HexText(sim::WithCrc(sim::Hex("01 03 03 E7 00 3C"))), 125},
      {"write one", [](Modbus& m) { return m.Request(802, 5, 6); }, "01 06 03 21 00 05 19 87", 8},
      {"write 32 bits", [](Modbus& m) { return m.WriteRegister32(785, 0x12345678); },
       "01 10 03 10 00 02 04 12 34 56 78 9D 67", 8},
      {"read a coil", [](Modbus& m) { return m.Request(24576, 1, 1); }, sim::HexText(sim::WithCrc(sim::Hex("01 01 5F FF 00 01"))), 6},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.run(link()), 0);
    ++n;
    ASSERT_TRUE(sim.WaitForFrames(n, 1000));
    EXPECT_EQ(SentFrames().last(), c.sent);
    EXPECT_EQ(link().RxLength, c.replyLength);
    EXPECT_EQ(link().ReplyValid, 1);
    EXPECT_EQ(link().TxCount, n);
    EXPECT_EQ(form.StatusText(3), QString::number(n));
    EXPECT_EQ(form.StatusText(5), "NoRx/Error:0/0");
    const QStringList log = Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[log.size() - 2], QString("Tx:%1: ").arg(c.sent.count(' ') + 1) + c.sent);
    EXPECT_EQ(log.last(), QString("Rx:%1: ").arg(c.replyLength) + ReplyHex(link()));
  }
  EXPECT_EQ(Log().first(), "Tx:8: 01 03 00 00 00 01 84 0A");
  EXPECT_EQ(Log()[1], "Rx:7: " + sim::HexText(sim::WithCrc(sim::Hex("01 03 02 00 2A"))));
  EXPECT_EQ(sim.Holding(1, 802), 5);
  EXPECT_EQ(sim.Holding(1, 785), 0x1234);
  EXPECT_EQ(sim.Holding(1, 786), 0x5678);
  EXPECT_EQ(link().Reply[3], 1);  // the coil reads ON
  EXPECT_EQ(link().FailStreak + link().NoReplyCount + link().CrcErrors, 0);
}

TEST_F(SerialExchange, SixtyRegistersCarryTheirValues) {
  for (int i = 0; i < 60; ++i) sim.SetInput(1, 40960 + i, static_cast<uint16_t>(1000 * i + 7));
  ASSERT_EQ(link().Request(40960, 60, 4), 0);
  ASSERT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(link().Reply[2], 120);
  for (int i = 0; i < 60; ++i) EXPECT_EQ((link().Reply[3 + 2 * i] << 8) | link().Reply[4 + 2 * i], 1000 * i + 7);
}

TEST_F(SerialExchange, RejectedRepliesAreCountedAsErrors) {
  struct Case {
    const char* what;
    ReplyFault fault;
    int count;
    int rxLength;  // -1: whatever part of the garbage one look took
    bool rxLine;
  };
  const Case cases[] = {
      {"bad CRC", ReplyFault::BadCrc(), 1, 7, true},
      {"one word short", ReplyFault::Short(), 2, 7, true},
      {"three bytes of garbage", ReplyFault::Garbage(sim::Hex("FF 00 13")), 1, 3, false},
      {"long garbage", ReplyFault::Garbage(QByteArray(300, '\x5A')), 1, -1, true},
  };
  int errors = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.QueueFault(c.fault);
    const int lines = static_cast<int>(Log().size());
    ASSERT_EQ(link().Request(1, static_cast<int16_t>(c.count), 3), 0);
    if (c.rxLength >= 0) EXPECT_EQ(link().RxLength, c.rxLength);
    EXPECT_GT(link().RxLength, 0);
    EXPECT_LE(link().RxLength, 300);
    EXPECT_EQ(link().ReplyValid, 0);
    ++errors;
    EXPECT_EQ(link().CrcErrors, errors);
    EXPECT_EQ(link().NoReplyCount, 0);
    EXPECT_EQ(link().FailStreak, 0);
    // Panel 5 is written before the exchange is counted.
    EXPECT_EQ(form.StatusText(5), QString("NoRx/Error:0/%1").arg(errors - 1));
    EXPECT_EQ(Log().size() - lines, c.rxLine ? 2 : 1);
  }
  // Whatever garbage was left over is not taken for the next reply.
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(ReplyHex(link()), sim::HexText(sim::WithCrc(sim::Hex("01 03 02 00 2A"))));
  EXPECT_EQ(form.StatusText(5), QString("NoRx/Error:0/%1").arg(errors));
}

TEST_F(SerialExchange, SplitRepliesAreCollected) {
  for (int i = 0; i < 60; ++i) sim.SetHolding(1, 2000 + i, static_cast<uint16_t>(i));
  // Pieces more than one look apart.
  sim.QueueFault(ReplyFault::Split({2, 3}, 60));
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(ReplyHex(link()), sim::HexText(sim::WithCrc(sim::Hex("01 03 02 00 2A"))));
  EXPECT_EQ(Log().last(), "Rx:7: " + ReplyHex(link()));

  sim.QueueFault(ReplyFault::Split({40, 40}, 80));
  ASSERT_EQ(link().Request(2000, 60, 3), 0);
  EXPECT_EQ(link().RxLength, 125);
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(link().Reply[3 + 2 * 59 + 1], 59);

  // A reply that does not finish within the time-out is incomplete.
  sim.QueueFault(ReplyFault::Split({3}, 400));
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(link().RxLength, 3);
  EXPECT_EQ(link().ReplyValid, 0);
  EXPECT_EQ(link().CrcErrors, 1);
}

// A device thread held up far beyond the time-out, as on a busy machine, is
// not a device that stays silent: the line's time stands still meanwhile.
TEST_F(SerialExchange, ASlowDeviceThreadDoesNotMakeTheReplyLate) {
  sim.QueueFault(ReplyFault::Stall(700));
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(ReplyHex(link()), sim::HexText(sim::WithCrc(sim::Hex("01 03 02 00 2A"))));
  EXPECT_EQ(link().NoReplyCount, 0);
}

// A reply that is in before the time-out is taken even when the exchange
// gets to look only after it, as on a busy machine.
TEST_F(SerialExchange, AReplyInBeforeTheTimeOutIsTakenWhenTheLookComesLate) {
  const LineTimePoint start = LineNow();
  int looks = 0;
  SetLineClock([&] {
    if (++looks == 1) return start;  // the exchange takes its time-out from here
    // Every later look comes when the whole reply is in and the time is long up.
    for (int i = 0; i < 5000 && sim.AnswersSent() < 1; ++i) usleep(1000);
    return start + std::chrono::seconds(1);
  });
  const int result = link().Request(1, 1, 3);
  SetLineClock(&sim::LineNow);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(ReplyHex(link()), sim::HexText(sim::WithCrc(sim::Hex("01 03 02 00 2A"))));
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(link().NoReplyCount, 0);
}

TEST_F(SerialExchange, ExceptionReplyPassesButIsNoReadReply) {
  sim.SetStrict(1, true);
  ASSERT_EQ(link().Request(500, 1, 3), 0);
  EXPECT_EQ(SentFrames().last(), sim::HexText(sim::WithCrc(sim::Hex("01 03 01 F3 00 01"))));
  EXPECT_EQ(ReplyHex(link()), sim::HexText(sim::WithCrc(sim::Hex("01 83 02"))));
  EXPECT_EQ(link().RxLength, 5);
  EXPECT_EQ(link().ReplyValid, 1);  // a sound frame; the caller sees Reply[1] is not 3
  EXPECT_NE(link().Reply[1], 3);
  EXPECT_EQ(link().CrcErrors, 0);

  sim.QueueFault(ReplyFault::Exception(4));
  ASSERT_EQ(link().Request(1, 9, 6), 0);
  EXPECT_EQ(ReplyHex(link()), sim::HexText(sim::WithCrc(sim::Hex("01 86 04"))));
  EXPECT_EQ(link().ReplyValid, 1);
}

TEST_F(SerialExchange, SilenceMakesViewsStaleReopensThePortAndAReplyRestores) {
  ValueLabel* value = AddLabel("230.1", clBlue);
  ValueLabel* edited = AddLabel("5", clRed);  // written, not yet read back
  ValueLabel* done = AddLabel("Done", clGreen);
  ValueLabel* caption = AddLabel("Vac", clBlack);
  form.SetStatus(0, "ID: 1");
  link().IdBaudIndex[1] = 2;  // the current inverter's speed: 19,200
  sim.SetStandingFault(ReplyFault::Silent());

  for (int i = 1; i <= 9; ++i) ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(Counters(), "tx=9 noreply=9 crc=0 streak=9");
  EXPECT_EQ(value->text(), "230.1");
  EXPECT_EQ(value->fontColor(), clBlue);
  EXPECT_EQ(form.StatusText(0), "ID: 1");
  EXPECT_EQ(link().RxLength, 0);
  EXPECT_EQ(link().ReplyValid, 0);

  ASSERT_EQ(link().Request(1, 1, 3), 0);  // the 10th
  EXPECT_EQ(Counters(), "tx=10 noreply=10 crc=0 streak=10");
  EXPECT_EQ(form.StatusText(5), "NoRx/Error:9/0");
  EXPECT_EQ(value->text(), "??");
  EXPECT_EQ(value->fontColor(), clRed);
  EXPECT_EQ(edited->text(), "5");
  EXPECT_EQ(edited->fontColor(), clRed);
  EXPECT_EQ(done->text(), "Done");
  EXPECT_EQ(caption->text(), "Vac");
  EXPECT_EQ(form.StatusText(0), "");

  // The 11th to 19th change nothing more.
  ValueLabel* later = AddLabel("7", clBlue);
  for (int i = 11; i <= 19; ++i) ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(later->text(), "7");
  EXPECT_EQ(later->fontColor(), clBlue);
  EXPECT_EQ(sim.LineBaud(), 9600);

  // The 20th closes and reopens the port at the current inverter's speed.
  sim.MarkLine();
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(Counters(), "tx=20 noreply=20 crc=0 streak=20");
  EXPECT_FALSE(sim.LineMarked());
  EXPECT_EQ(sim.LineBaud(), 19200);
  EXPECT_EQ(form.StatusText(1), "19200");
  EXPECT_TRUE(link().Port.IsOpen());

  // The first valid reply after it turns every red label blue "??".
  sim.ClearFaults();
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_EQ(Counters(), "tx=21 noreply=20 crc=0 streak=0");
  for (ValueLabel* l : {value, edited}) {
    EXPECT_EQ(l->text(), "??");
    EXPECT_EQ(l->fontColor(), clBlue);
  }
  EXPECT_EQ(later->text(), "7");
  EXPECT_EQ(done->fontColor(), clGreen);
  EXPECT_EQ(caption->fontColor(), clBlack);
  const QStringList frames = SentFrames();
  EXPECT_EQ(frames.size(), 21);
  EXPECT_EQ(frames.count("01 03 00 00 00 01 84 0A"), 21);
}

TEST_F(SerialExchange, ReopenUsesTheSpeedOfTheAddressedIdAndMayFail) {
  // The Wi-Fi address 255 has its own slot in every per-ID table.
  link().SlaveId = 255;
  link().IdBaudIndex[255] = 3;
  link().FailStreak = 19;
  ASSERT_EQ(link().Request(1, 1, 3), 0);  // nobody answers at 255
  EXPECT_EQ(sim.LineBaud(), 38400);
  EXPECT_EQ(link().FailStreak, 20);

  // A port that vanished fails the request, after its message.
  link().FailStreak = 39;
  link().PortName = "/dev/no-such-adapter";
  EXPECT_EQ(link().Request(1, 1, 3), 1);
  EXPECT_EQ(dialogs.messages, QStringList{"COM Can't Open: /dev/no-such-adapter: " +
                                          QString::fromLocal8Bit(std::strerror(ENOENT))});
  EXPECT_FALSE(link().Port.IsOpen());
}

TEST_F(SerialExchange, ClosedPortFailsAtOnceAndAddressZeroSendsNothing) {
  link().SlaveId = 0;
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(Counters(), "tx=0 noreply=0 crc=0 streak=0");

  link().SlaveId = 1;
  link().Port.Close();
  EXPECT_EQ(link().Request(1, 1, 3), 1);
  EXPECT_EQ(link().WriteRegister32(785, 1), 1);
  EXPECT_EQ(Counters(), "tx=0 noreply=0 crc=0 streak=0");
  EXPECT_EQ(link().RxLength, 0);
  EXPECT_TRUE(Log().isEmpty());
  EXPECT_FALSE(sim.WaitForFrames(1, 100));
}

TEST_F(SerialExchange, TrafficLogOnlyWhileItsPanelIsOpen) {
  GroupPanel* debug = form.Panel("Group_Debug");
  ASSERT_NE(debug, nullptr);
  debug->resize(debug->width(), 49);
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(link().ReplyValid, 1);
  EXPECT_TRUE(Log().isEmpty());
  debug->resize(debug->width(), 50);
  ASSERT_EQ(link().Request(1, 1, 3), 0);
  EXPECT_EQ(Log().size(), 2);
}

TEST_F(SerialExchange, ExchangeOvertakenByANestedOneEndsWithoutAReply) {
  // Event processing during the wait runs another request to the end first.
  int nested = -1;
  QTimer::singleShot(0, &form, [&] { nested = link().Request(1, 1, 3); });
  ASSERT_EQ(link().Request(802, 5, 6), 0);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(link().RxLength, 0);
  EXPECT_EQ(link().ReplyValid, 0);
  EXPECT_EQ(SentFrames(), QStringList{"01 03 00 00 00 01 84 0A"});
  EXPECT_EQ(Counters(), "tx=1 noreply=0 crc=0 streak=0");
}

TEST(SerialOverflow, FloodOfBytesFailsTheExchangeWithoutOverrun) {
  FakeDialogs dialogs;
  int sv[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  int size = 1 << 20;
  setsockopt(sv[1], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  setsockopt(sv[0], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  auto m = std::make_unique<Modbus>();
  m->Port.AttachDescriptor(sv[0]);
  m->LinkMode = LinkSerial;
  m->SlaveId = 1;
  std::thread device([fd = sv[1]] {
    char request[8];
    if (read(fd, request, sizeof request) != 8) return;
    std::vector<char> flood(12000, '\x33');
    (void)!write(fd, flood.data(), flood.size());
  });
  // A read whose reply could never fit: the flood arrives while it waits.
  EXPECT_EQ(m->Request(1, 0x7FFF, 3), 1);
  device.join();
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_TRUE(dialogs.messages[0].startsWith("Rx Size > Buffer ")) << qPrintable(dialogs.messages[0]);
  EXPECT_GE(dialogs.messages[0].mid(17).toInt(), 8191);
  EXPECT_LT(m->Port.RxCount, Tcomm::kRxSize);
  m->Port.Close();
  close(sv[1]);
}

// A flood that arrives in pieces, none of them beyond the receive limit on
// its own: the exchange keeps what the reply can be long and fails its check,
// and polling goes on (no message, no failure of the link).
TEST(SerialOverflow, FloodInPiecesIsBoundByTheReplyLength) {
  FakeDialogs dialogs;
  int sv[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  int size = 1 << 20;
  setsockopt(sv[1], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  setsockopt(sv[0], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  auto m = std::make_unique<Modbus>();
  m->Port.AttachDescriptor(sv[0]);
  m->LinkMode = LinkSerial;
  m->SlaveId = 1;
  std::thread device([fd = sv[1]] {
    char request[8];
    if (read(fd, request, sizeof request) != 8) return;
    (void)!write(fd, "\x01\x03\x02", 3);
    // The rest only once the tool has taken the first piece: 3 + 8,188 bytes
    // in all, 8,191 gathered.
    int unread = 1;
    for (int i = 0; i < 5000 && unread > 0; ++i) {
      if (ioctl(fd, SIOCOUTQ, &unread) != 0) break;
      if (unread > 0) usleep(1000);
    }
    std::vector<char> flood(8188, '\x33');
    (void)!write(fd, flood.data(), flood.size());
  });
  EXPECT_EQ(m->Request(1, 1, 3), 0);
  device.join();
  EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.messages.join('|'));
  EXPECT_EQ(m->RxLength, 7);
  EXPECT_EQ(m->Reply[2], 2);
  EXPECT_EQ(m->Reply[3], 0x33);
  EXPECT_EQ(m->ReplyValid, 0);
  EXPECT_EQ(m->CrcErrors, 1);
  m->Port.Close();
  close(sv[1]);
}
