// The Wi-Fi link's exchange against the simulated inverter on loopback TCP
// (standing in for the module), and against a scripted peer that hangs up.
#include <gtest/gtest.h>

#include <memory>

#include "link/Modbus.h"
#include "sim/SimInverter.h"
#include "sim/SimTcpServer.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"

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
  EXPECT_EQ(bus.TcpConnections(), 1);
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
  EXPECT_EQ(bus.TcpConnections(), 2);
}

TEST_F(TcpLinkTest, AReplyInPiecesIsGatheredWhole) {
  bus.QueueFault(sim::ReplyFault::Split({2}, 120));
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->RxLength, 7);
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
  EXPECT_TRUE(ui.lines.contains("Error - Receive"));
  EXPECT_EQ(link->RxLength, 0);
  EXPECT_EQ(link->NoReplyCount, 1);
  EXPECT_EQ(link->CrcErrors, 0);
  EXPECT_EQ(link->FailStreak, 1);
  EXPECT_FALSE(link->Client.HasSocket(255));

  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(bus.TcpConnections(), 2);
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

TEST_F(TcpLinkTest, NobodyListeningIsAFailedSendNotAMissingReply) {
  int port;
  {
    SimTcpServer gone([](const QByteArray&) { return QByteArray(); });
    port = gone.Port();
  }  // closed again: nothing listens there now
  qputenv("QORVANE_WIFI_ADDR", QByteArray("127.0.0.1:") + QByteArray::number(port));
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_TRUE(ui.lines.contains("Error - Send"));
  EXPECT_EQ(link->NoConnectCount, 0);  // -1 after opening, +1
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->CrcErrors, 0);
  EXPECT_EQ(link->FailStreak, 1);
  EXPECT_EQ(link->TxCount, 1);
  EXPECT_FALSE(link->Client.HasSocket(255));
}

TEST_F(TcpLinkTest, NoSocketFailsTheRequest) {
  qputenv("QORVANE_WIFI_ADDR", "127.0.0.1:no-such-service-name");
  EXPECT_EQ(link->Request(1, 1, 3), 1);
  EXPECT_TRUE(ui.lines.contains("Error - Build Socket"));
  EXPECT_EQ(link->RxLength, 0);
  EXPECT_EQ(link->TxCount, 0);
}
