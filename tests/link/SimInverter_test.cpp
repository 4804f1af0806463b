// The simulated inverter itself, where the link tests do not already show it:
// the same device served on loopback TCP, and its framing of broken input.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sim/SimInverter.h"
#include "support/QtPrinters.h"

namespace {

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

QByteArray Exchange(int fd, const QByteArray& request) {
  if (send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL) != request.size()) return {};
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 300) <= 0) return {};
  char buf[512];
  const ssize_t n = recv(fd, buf, sizeof buf, 0);
  return n > 0 ? QByteArray(buf, static_cast<int>(n)) : QByteArray();
}

}  // namespace

TEST(SimInverter, ServesTheSameDeviceOnLoopbackTcp) {
  sim::SimInverter sim;
  sim.AddSlave(255);
  sim.SetHolding(255, 60515, 7);
  const int port = sim.ListenTcp();
  ASSERT_GT(port, 0);
  const int a = Connect(port), b = Connect(port);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);

  EXPECT_EQ(sim::HexText(Exchange(a, sim::WithCrc(sim::Hex("FF 03 EC 62 00 01")))),
            sim::HexText(sim::WithCrc(sim::Hex("FF 03 02 00 07"))));
  EXPECT_EQ(sim::HexText(Exchange(b, sim::WithCrc(sim::Hex("FF 06 EC 62 55 AA")))),
            sim::HexText(sim::WithCrc(sim::Hex("FF 06 EC 62 55 AA"))));
  EXPECT_EQ(sim.Holding(255, 60515), 0x55AA);
  EXPECT_EQ(sim.TcpConnections(2), 2);
  const auto frames = sim.Frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].line, "tcp");
  EXPECT_TRUE(frames[0].crcOk);
  close(a);
  close(b);
}

TEST(SimInverter, BrokenInputIsRecordedAndNotAnswered) {
  sim::SimInverter sim;
  sim.AddSlave(1);
  const int port = sim.ListenTcp();
  const int fd = Connect(port);
  ASSERT_GE(fd, 0);
  // A frame with a wrong CRC, then a stray byte that never becomes a frame.
  const QByteArray bad = sim::Hex("01 03 00 00 00 01 84 0B");
  EXPECT_TRUE(Exchange(fd, bad).isEmpty());
  EXPECT_TRUE(Exchange(fd, sim::Hex("01")).isEmpty());
  ASSERT_TRUE(sim.WaitForFrames(2, 1000));
  const auto frames = sim.Frames();
  EXPECT_EQ(frames[0].bytes, bad);
  EXPECT_FALSE(frames[0].crcOk);
  EXPECT_EQ(frames[1].protocol, "noise");
  EXPECT_EQ(sim.AnswersSent(), 0);
  // Nobody at ID 2: a sound request goes unanswered too.
  EXPECT_TRUE(Exchange(fd, sim::WithCrc(sim::Hex("02 03 00 00 00 01"))).isEmpty());
  close(fd);
}
