// The Wi-Fi link's exchange against the simulated inverter behind a
// loopback TCP server standing in for the module.
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
    qputenv("QORVANE_WIFI_ADDR", module.Address().toLatin1());
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
  SimTcpServer module{[this](const QByteArray& frame) { return bus.Exchange(frame).value_or(QByteArray()); }};
  std::unique_ptr<Modbus> link;
  QByteArray saved;
};

const char* kRead = "FF 03 00 00 00 01 91 D4";

}  // namespace

TEST_F(TcpLinkTest, ExchangeSendsTheRtuFrameAndReusesTheConnection) {
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  ASSERT_EQ(module.Requests().size(), 1u);
  EXPECT_EQ(sim::HexText(module.Requests()[0]), kRead);
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
  EXPECT_EQ(module.Connections(), 1);
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
  EXPECT_TRUE(module.WaitOpenConnections(2, 2000));
}

TEST_F(TcpLinkTest, AReplyInPiecesIsGatheredWhole) {
  module.SetSplitReply(2, 120);
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(link->RxLength, 7);
}

TEST_F(TcpLinkTest, ABadCrcCountsOnceAsAnError) {
  SimTcpServer spoilt([this](const QByteArray& frame) {
    QByteArray r = bus.Exchange(frame).value_or(QByteArray());
    r[r.size() - 1] = char(r[r.size() - 1] ^ 0x5A);
    return r;
  });
  qputenv("QORVANE_WIFI_ADDR", spoilt.Address().toLatin1());
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 0);
  EXPECT_EQ(link->RxLength, 7);
  EXPECT_EQ(link->CrcErrors, 1);
  EXPECT_EQ(link->NoReplyCount, 0);
  EXPECT_EQ(link->FailStreak, 0);
}

TEST_F(TcpLinkTest, APeerThatNeverAnswersIsOneMissingReplyAndAFreshConnection) {
  module.SetSilent(true);
  ASSERT_EQ(link->Request(1, 1, 3), 0);  // waits out the reply time-out
  EXPECT_TRUE(ui.lines.contains("Error - Receive"));
  EXPECT_EQ(link->RxLength, 0);
  EXPECT_EQ(link->NoReplyCount, 1);
  EXPECT_EQ(link->CrcErrors, 0);
  EXPECT_EQ(link->FailStreak, 1);
  EXPECT_FALSE(link->Client.HasSocket(255));

  module.SetSilent(false);
  ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 1);
  EXPECT_EQ(module.Connections(), 2);
  EXPECT_EQ(Counters(), "NoCon/NoRx/Error:-1/1/0");
}

TEST_F(TcpLinkTest, APeerThatClosesIsSurvived) {
  module.SetCloseOnRequest(true);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(link->Request(1, 1, 3), 0);
  EXPECT_EQ(link->ReplyValid, 0);
  EXPECT_EQ(link->FailStreak, 3);
  // Each exchange counted once: as a missing reply or a failed send.
  EXPECT_EQ(link->NoReplyCount + (link->NoConnectCount + 1), 3);
  EXPECT_EQ(link->CrcErrors, 0);

  module.SetCloseOnRequest(false);
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
