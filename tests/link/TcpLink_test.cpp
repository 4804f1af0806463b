// The Wi-Fi link's exchange against the simulated inverter on loopback TCP
// (standing in for the module), and against a scripted peer that hangs up.
#include <gtest/gtest.h>

#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <QRadioButton>
#include <memory>
#include <utility>

#include "app/LogViews.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "sim/SimInverter.h"
#include "sim/SimTcpServer.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"
#include "support/NetFixture.h"
#include "support/PollFixture.h"

namespace {

class TcpLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.AddSlave(255);
    bus.SetHolding(255, 1, 0x1234);
    saved = qgetenv("QORVANE_WIFI_ADDR");
    port = bus.ListenTcp();
    ASSERT_GT(port, 0);
    qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
    link = std::make_unique<Modbus>();
    // As the link opening leaves it.
    link->LinkMode = LinkTcp;
    link->SlaveId = 255;
    link->NoConnectCount = -1;
    link->Client.CloseAll();
  }
  void TearDown() override {
    link->Client.CloseAll();
    if (saved.isNull())
      qunsetenv("QORVANE_WIFI_ADDR");
    else
      qputenv("QORVANE_WIFI_ADDR", saved);
  }
  QString Counters() const { return ui.status[5]; }

  FakeDialogs dialogs;
  FakeLinkUi ui;
  sim::SimInverter bus;
  int port = 0;
  std::unique_ptr<Modbus> link;
  QByteArray saved;
};

const char* kRead = "FF 03 00 00 00 01 91 D4";

}  // namespace

TEST_F(TcpLinkTest, ExchangeSendsTheRtuFrameAndReusesTheConnection) {
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  ASSERT_EQ(bus.Frames().size(), 1u);
  EXPECT_EQ(sim::HexText(bus.Frames()[0].bytes), kRead);
  EXPECT_EQ(bus.Frames()[0].line, "tcp");
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->RxLength, 7);
  EXPECT_EQ(sim::HexText(QByteArray(reinterpret_cast<const char*>(link->Reply), 7)),
            sim::HexText(sim::WithCrc(sim::Hex("FF 03 02 12 34"))));
  EXPECT_EQ(link->TxCount, 1);
  EXPECT_EQ(ui.status[3], "1");
  EXPECT_EQ(Counters(), "NoCon/NoRx/Error:-1/0/0");
  ASSERT_GE(ui.lines.size(), 2);
  EXPECT_EQ(ui.lines[0], QString("Tx:8: ") + kRead);
  EXPECT_TRUE(ui.lines[1].startsWith("Rx:7: FF 03 02 12 34"));

  // The second exchange goes on the same connection.
  ASSERT_EQ(link->Request(2, 7, 6), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(bus.Holding(255, 2), 7);
  EXPECT_EQ(bus.TcpConnections(1), 1);
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->CrcErrors, 0);
}

TEST_F(TcpLinkTest, TwoIdsKeepTwoConnections) {
  bus.AddSlave(3);
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  link->SlaveId = 3;
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_TRUE(link->Client.HasSocket(255));
  EXPECT_TRUE(link->Client.HasSocket(3));
  EXPECT_EQ(bus.TcpConnections(2), 2);
}

TEST_F(TcpLinkTest, AReplyInPiecesIsGatheredWhole) {
  bus.QueueFault(sim::ReplyFault::Split({2}, 120));
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->RxLength, 7);
}

// A frame the module sends twice: the copy waiting on the connection is no
// answer to the next request. It goes to the traffic log, and every later
// request gets its own reply.
TEST_F(TcpLinkTest, ARepeatedReplyAnswersNoLaterRequest) {
  bus.SetHolding(255, 2, 0x5678);
  bus.SetHolding(255, 3, 0x9ABC);
  bus.QueueFault(sim::ReplyFault::Repeat(50));
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  // The copy is waiting before the next request goes out.
  ASSERT_TRUE(link->Client.HasSocket(255));
  ASSERT_EQ(QorClient::WaitReadable(link->Client.Sockets[255], 5000), 0);

  const QString first = sim::HexText(sim::WithCrc(sim::Hex("FF 03 02 12 34")));
  for (const auto& [reg, reply] : {std::pair{2, "FF 03 02 56 78"}, std::pair{3, "FF 03 02 9A BC"}}) {
    ASSERT_EQ(link->Request(uint16_t(reg), 1, 3), 0);
    EXPECT_EQ(link->ReplyValid, 1) << reg;
    EXPECT_EQ(sim::HexText(QByteArray(reinterpret_cast<const char*>(link->Reply), link->RxLength)),
              sim::HexText(sim::WithCrc(sim::Hex(reply))))
        << reg;
  }
  EXPECT_TRUE(ui.lines.contains("Discarded:7: " + first)) << ui.lines.join('|').toStdString();
  EXPECT_EQ(link->CrcErrors, 0);
  EXPECT_EQ(bus.TcpConnections(1), 1);
}

TEST_F(TcpLinkTest, ABadCrcCountsOnceAsAnError) {
  bus.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 0);
  EXPECT_EQ(link->RxLength, 7);
  EXPECT_EQ(link->CrcErrors, 1);
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->FailStreak, 0);
}

TEST_F(TcpLinkTest, APeerThatNeverAnswersIsOneMissingReplyAndAFreshConnection) {
  bus.QueueFault(sim::ReplyFault::Silent());
  ASSERT_EQ(link->Request(1, 1, 3), 0);  // waits out the reply time-out
  EXPECT_TRUE(ui.lines.contains(QString("Error - Receive: 127.0.0.1:%1: no reply within 6000 ms").arg(port)))
      << ui.lines.join('|').toStdString();
  EXPECT_EQ(link->RxLength, 0);
  EXPECT_EQ(link->NoReplyCount, 1);
  EXPECT_EQ(link->CrcErrors, 0);
  EXPECT_EQ(link->FailStreak, 1);
  EXPECT_FALSE(link->Client.HasSocket(255));

  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(bus.TcpConnections(2), 2);
  EXPECT_EQ(Counters(), "NoCon/NoRx/Error:-1/1/0");
}

TEST_F(TcpLinkTest, APeerThatClosesIsSurvived) {
  SimTcpServer hangsUp([this](const QByteArray& f) { return bus.Exchange(f, "tcp").value_or(QByteArray()); });
  hangsUp.SetCloseOnRequest(true);
  qputenv("QORVANE_WIFI_ADDR", hangsUp.Address().toLatin1());
  for (int i = 0; i < 3; ++i) ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 0);
  EXPECT_EQ(link->FailStreak, 3);
  // Each exchange counted once: as a missing reply or a failed send.
  EXPECT_EQ(link->NoReplyCount + (link->NoConnectCount + 1), 3);
  EXPECT_EQ(link->CrcErrors, 0);

  // The module answers again: the link finds its way back on a new connection.
  hangsUp.SetCloseOnRequest(false);
  for (int i = 0; i < 3 && link->ReplyValid != 1; ++i) ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->FailStreak, 0);
}

// A refused connection is the link failing, as a pulled serial adapter is.
TEST_F(TcpLinkTest, NobodyListeningFailsTheRequest) {
  int port;
  {
    SimTcpServer gone([](const QByteArray&) { return QByteArray(); });
    port = gone.Port();
  }  // closed again: nothing listens there now
  qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
  EXPECT_EQ(link->Request(1, 1, 3), 1);
  // The address and the system's reason, for the technician to act on.
  const QString why = QString("127.0.0.1:%1: ").arg(port) + QString::fromLocal8Bit(std::strerror(ECONNREFUSED));
  EXPECT_TRUE(ui.lines.contains("Error - Send: " + why)) << ui.lines.join('|').toStdString();
  EXPECT_EQ(link->LinkError(), why);
  EXPECT_EQ(link->NoConnectCount, 0);  // -1 after opening, +1
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->CrcErrors, 0);
  EXPECT_EQ(link->TxCount, 1);
  EXPECT_FALSE(link->Client.HasSocket(255));
}

// The module restarted: the connection kept from the last exchange is dead
// (reset), but the module is back. The exchange takes a fresh connection
// and goes through; the link does not fail.
TEST_F(TcpLinkTest, AConnectionThatDiedWhileIdleIsMadeAfreshOnce) {
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  ASSERT_EQ(link->ReplyValid, 1);
  bus.LoseTcp();
  const int back = bus.ListenTcp();
  ASSERT_GT(back, 0);
  qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(back));
  EXPECT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->TxCount, 2);
  EXPECT_EQ(link->LinkError(), "");
  ASSERT_FALSE(ui.lines.filter("Error - Send: ").isEmpty()) << ui.lines.join('|').toStdString();
}

TEST_F(TcpLinkTest, NoSocketFailsTheRequest) {
  qputenv("QORVANE_WIFI_ADDR", "127.0.0.1:no-such-service-name");
  EXPECT_EQ(link->Request(1, 1, 3), 1);
  ASSERT_FALSE(ui.lines.isEmpty());
  EXPECT_TRUE(ui.lines.last().startsWith("Error - Build Socket: 127.0.0.1:no-such-service-name: "))
      << ui.lines.last().toStdString();
  EXPECT_EQ(link->RxLength, 0);
  EXPECT_EQ(link->TxCount, 0);
}

// ---------------------------------------------------------------------------
// The Wi-Fi link opened from the main window, polled by the loop.

namespace {

QString Rtu(std::initializer_list<int> bytes) { return sim::HexText(sim::WithCrc(sim::Bytes(bytes))); }

// One pass with the version view shown: the keep-alive write, then the
// view's five reads, all to address 255.
std::vector<QString> WifiPass() {
  auto reg = [](int r, int fn, int count) {
    const int wire = r - 1;
    return Rtu({255, fn, wire >> 8, wire & 0xFF, 0, count});
  };
  return {Rtu({255, 6, 0xEC, 0x62, 0x55, 0xAA}), reg(802, 3, 1), reg(40963, 4, 33), reg(44032, 3, 8),
          reg(25338, 3, 1), reg(60673, 3, 1)};
}

struct WifiWindow {
  polltest::TempHome home;
  FakeDialogs dialogs;
  sim::SimInverter bus;
  QByteArray savedAddr = qgetenv("QORVANE_WIFI_ADDR");
  TForm_Main w;

  WifiWindow() {
    bus.AddSlave(255);
    const int port = bus.ListenTcp();
    qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
    nettest::ChooseProfile(w);
    w.Panel("Group_Version")->setHidden(false);
    w.Ctl<QRadioButton>("Radio_ComWifi")->setChecked(true);
  }
  ~WifiWindow() {
    if (savedAddr.isNull())
      qunsetenv("QORVANE_WIFI_ADDR");
    else
      qputenv("QORVANE_WIFI_ADDR", savedAddr);
  }
  std::vector<QString> Frames() const {
    std::vector<QString> out;
    for (const auto& f : bus.Frames()) out.push_back(sim::HexText(f.bytes));
    return out;
  }
  // Closes the link once the device has received n frames.
  void CloseAfter(size_t n) {
    nettest::Every5ms(w, [this, n] {
      if (bus.Frames().size() < n) return false;
      w.ClosePortClick();
      return true;
    });
  }
};

}  // namespace

TEST(WifiLink, PollsAddress255WithTheKeepAliveFirstInEveryPass) {
  WifiWindow t;
  t.bus.SetHolding(255, 802, 5);
  t.CloseAfter(12);
  t.w.OpenPortClick();

  std::vector<QString> twoPasses = WifiPass();
  const auto second = WifiPass();
  twoPasses.insert(twoPasses.end(), second.begin(), second.end());
  const auto frames = t.Frames();
  ASSERT_GE(frames.size(), 12u);
  EXPECT_EQ(std::vector<QString>(frames.begin(), frames.begin() + 12), twoPasses);
  EXPECT_EQ(t.bus.Holding(255, 0xEC63), 0x55AA);
  EXPECT_EQ(t.w.Ctl<ValueLabel>("Label_InvProtocol")->text(), "SunSpec");
  // Every exchange on one connection, closed with the link; panel 4 is the
  // serial port's and stays as it was.
  EXPECT_EQ(t.bus.TcpConnections(1), 1);
  EXPECT_FALSE(t.w.Link.Client.HasSocket(255));
  EXPECT_EQ(t.w.StatusText(4), "");
  EXPECT_FALSE(t.w.LinkOpen);
  EXPECT_TRUE(t.w.Ctl<QPushButton>("OpenPort")->isEnabled());
}

TEST(WifiLink, AModuleThatStaysSilentOnceIsWaitedOutAndPollingGoesOn) {
  WifiWindow t;
  t.bus.QueueFault(sim::ReplyFault::Silent());  // the first keep-alive goes unanswered
  t.CloseAfter(8);
  t.w.OpenPortClick();
  const auto frames = t.Frames();
  ASSERT_GE(frames.size(), 8u);
  EXPECT_EQ(frames[0], WifiPass()[0]);
  EXPECT_EQ(frames[1], WifiPass()[1]);  // the pass went on after the time-out
  EXPECT_EQ(t.bus.TcpConnections(2), 2);  // a fresh connection after it
  EXPECT_EQ(t.w.Link.NoReplyCount, 1);
  EXPECT_EQ(t.w.Link.CrcErrors, 0);
  EXPECT_TRUE(t.w.EventLog()->toPlainText().contains("Error - Receive"));
}

// A module that turns the connection away: the traffic log names the address
// and the refusal, and polling ends at once, as on a pulled serial adapter.
TEST(WifiLink, ARefusedConnectionNamesTheAddressAndTheReasonAndEndsPolling) {
  WifiWindow t;
  int port;
  {
    SimTcpServer gone([](const QByteArray&) { return QByteArray(); });
    port = gone.Port();
  }  // closed again: nothing listens there now
  qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
  const QString line =
      QString("Error - Send: 127.0.0.1:%1: ").arg(port) + QString::fromLocal8Bit(std::strerror(ECONNREFUSED));
  // Polling must end by itself; closed by the test only when it does not.
  nettest::Every5ms(t.w, [&] { return !t.w.LinkOpen; });
  t.w.OpenPortClick();
  EXPECT_EQ(t.w.EventLog()->toPlainText().count(line), 1);
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
  EXPECT_EQ(t.w.Link.NoConnectCount, 0);
  EXPECT_FALSE(t.w.LinkOpen);
  EXPECT_TRUE(t.w.Ctl<QPushButton>("OpenPort")->isEnabled());
}
