#include <gtest/gtest.h>

#include <QByteArray>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/Mysock.h"
#include "sim/SimTcpServer.h"

namespace {

QByteArray Bytes(std::initializer_list<int> list) {
  QByteArray b;
  for (int v : list) b.append(char(v));
  return b;
}

// A port on 127.0.0.1 where nothing listens: bound, then closed again.
int ClosedLoopbackPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(s);
  return ntohs(a.sin_port);
}

const QByteArray kRequest = Bytes({0xFF, 0x03, 0x00, 0x00, 0x00, 0x01, 0x91, 0xD4});
const QByteArray kReply = Bytes({0xFF, 0x03, 0x02, 0x12, 0x34, 0xE5, 0x1F});

int Send(QorClient& c, int id, const QByteArray& b) {
  return c.Send(id, reinterpret_cast<const uint8_t*>(b.constData()), int(b.size()));
}

int SevenBytes(const uint8_t*, int) { return 7; }

class ClientTest : public ::testing::Test {
 protected:
  void TearDown() override { client.CloseAll(); }
  int ConnectTo(int id, const SimTcpServer& s) {
    return client.Connect(id, "127.0.0.1", QString::number(s.Port()));
  }
  QorClient client;
};

}  // namespace

TEST_F(ClientTest, SlotsStartEmptyForEveryIdUpTo255) {
  for (int id = 0; id < QorClient::kSlots; ++id) EXPECT_FALSE(client.HasSocket(id)) << id;
  EXPECT_FALSE(client.HasSocket(256));
  EXPECT_EQ(client.Connect(256, "127.0.0.1", "5001"), -1);
  EXPECT_EQ(client.Connect(-1, "127.0.0.1", "5001"), -1);
  EXPECT_EQ(Send(client, 3, kRequest), 1);  // nothing connected
}

TEST_F(ClientTest, ExchangeOnSlot255AndReplySplitInTwoIsGatheredWhole) {
  SimTcpServer server([](const QByteArray&) { return kReply; });
  server.SetSplitReply(3, 150);
  ASSERT_EQ(ConnectTo(255, server), 0);
  ASSERT_TRUE(client.HasSocket(255));
  ASSERT_EQ(Send(client, 255, kRequest), 0);
  ASSERT_EQ(client.Receive(255, 2000, SevenBytes), 0);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(client.RxBuf), client.RxLen), kReply);
  EXPECT_EQ(client.RxBuf[client.RxLen], 0);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], kRequest);
  // The socket stays for the next exchange: no second connection.
  ASSERT_EQ(Send(client, 255, kRequest), 0);
  ASSERT_EQ(client.Receive(255, 2000, SevenBytes), 0);
  EXPECT_EQ(client.RxLen, 7);
  EXPECT_EQ(server.Connections(), 1);
}

TEST_F(ClientTest, WithoutALengthRuleOneChunkIsTaken) {
  SimTcpServer server([](const QByteArray&) { return kReply; });
  server.SetSplitReply(3, 300);
  ASSERT_EQ(ConnectTo(1, server), 0);
  ASSERT_EQ(Send(client, 1, kRequest), 0);
  ASSERT_EQ(client.Receive(1, 2000), 0);
  EXPECT_EQ(client.RxLen, 3);
}

TEST_F(ClientTest, TwoIdsHoldTwoConnectionsAndATimeOutClearsOnlyItsOwnSlot) {
  SimTcpServer server([](const QByteArray& req) { return req[0] == char(2) ? QByteArray() : kReply; });
  ASSERT_EQ(ConnectTo(1, server), 0);
  ASSERT_EQ(ConnectTo(2, server), 0);
  ASSERT_TRUE(server.WaitOpenConnections(2, 2000));
  ASSERT_EQ(Send(client, 1, kRequest), 0);
  ASSERT_EQ(client.Receive(1, 2000, SevenBytes), 0);
  QByteArray toTwo = kRequest;
  toTwo[0] = char(2);
  ASSERT_EQ(Send(client, 2, toTwo), 0);
  EXPECT_EQ(client.Receive(2, 200, SevenBytes), 1);  // never answered
  EXPECT_EQ(client.RxLen, 0);
  EXPECT_FALSE(client.HasSocket(2));
  EXPECT_TRUE(client.HasSocket(1));
  EXPECT_TRUE(server.WaitOpenConnections(1, 2000));
}

TEST_F(ClientTest, PartOfAReplyAtTheTimeOutIsKeptAndTheSocketDropped) {
  SimTcpServer server([](const QByteArray&) { return kReply; });
  server.SetSplitReply(4, 700);
  ASSERT_EQ(ConnectTo(7, server), 0);
  ASSERT_EQ(Send(client, 7, kRequest), 0);
  EXPECT_EQ(client.Receive(7, 300, SevenBytes), 0);
  EXPECT_EQ(client.RxLen, 4);
  EXPECT_FALSE(client.HasSocket(7));  // the rest would arrive out of step
}

TEST_F(ClientTest, PeerClosingIsNoReplyAndLaterSendsNeverKillTheProcess) {
  SimTcpServer server([](const QByteArray&) { return kReply; });
  server.SetCloseOnRequest(true);
  ASSERT_EQ(ConnectTo(4, server), 0);
  ASSERT_EQ(Send(client, 4, kRequest), 0);
  EXPECT_EQ(client.Receive(4, 2000, SevenBytes), 0);
  EXPECT_EQ(client.RxLen, 0);
  EXPECT_TRUE(client.HasSocket(4));  // kept until a send or receive on it fails
  // The peer is gone: writing to it must fail quietly (no SIGPIPE), and the
  // slot is cleared by the first failing send or receive.
  for (int i = 0; i < 5 && client.HasSocket(4); ++i) {
    if (Send(client, 4, kRequest) == 0) client.Receive(4, 500, SevenBytes);
  }
  EXPECT_FALSE(client.HasSocket(4));
}

TEST_F(ClientTest, NobodyListeningFailsTheSendAndClearsTheSlot) {
  const int port = ClosedLoopbackPort();
  ASSERT_EQ(client.Connect(9, "127.0.0.1", QString::number(port)), 0);
  EXPECT_TRUE(client.HasSocket(9));
  EXPECT_EQ(Send(client, 9, kRequest), 1);
  EXPECT_FALSE(client.HasSocket(9));
}

TEST_F(ClientTest, UnresolvableAddressGivesNoSocket) {
  // An unknown service name fails locally, without asking any name server.
  EXPECT_EQ(client.Connect(5, "127.0.0.1", "no-such-service-name"), -1);
  EXPECT_FALSE(client.HasSocket(5));
}

TEST_F(ClientTest, AnOverlongReplyIsCutAt1023AndTheRestWaits) {
  QByteArray big(1500, 'x');
  SimTcpServer server([&](const QByteArray&) { return big; });
  ASSERT_EQ(ConnectTo(3, server), 0);
  ASSERT_EQ(Send(client, 3, kRequest), 0);
  ASSERT_EQ(client.Receive(3, 2000, [](const uint8_t*, int) { return 1500; }), 0);
  EXPECT_EQ(client.RxLen, 1023);
  ASSERT_EQ(client.Receive(3, 2000, [](const uint8_t*, int) { return 477; }), 0);
  EXPECT_EQ(client.RxLen, 477);
}

TEST_F(ClientTest, CloseAllClosesEverySlot) {
  SimTcpServer server([](const QByteArray&) { return kReply; });
  for (int id : {0, 80, 200, 255}) ASSERT_EQ(ConnectTo(id, server), 0);
  ASSERT_TRUE(server.WaitOpenConnections(4, 2000));
  client.CloseAll();
  for (int id : {0, 80, 200, 255}) EXPECT_FALSE(client.HasSocket(id));
  EXPECT_TRUE(server.WaitOpenConnections(0, 2000));
}

TEST(WifiAddress, FixedAddressUnlessTheEnvironmentNamesAnother) {
  const QByteArray saved = qgetenv("QORVANE_WIFI_ADDR");
  qunsetenv("QORVANE_WIFI_ADDR");
  WifiAddress a = WifiModuleAddress();
  EXPECT_EQ(a.service, "5001");
  EXPECT_FALSE(a.host.isEmpty());
  qputenv("QORVANE_WIFI_ADDR", "127.0.0.1:15001");
  a = WifiModuleAddress();
  EXPECT_EQ(a.host, "127.0.0.1");
  EXPECT_EQ(a.service, "15001");
  qputenv("QORVANE_WIFI_ADDR", "[::1]:6000");
  a = WifiModuleAddress();
  EXPECT_EQ(a.host, "::1");
  EXPECT_EQ(a.service, "6000");
  if (saved.isNull()) qunsetenv("QORVANE_WIFI_ADDR");
  else qputenv("QORVANE_WIFI_ADDR", saved);
}
