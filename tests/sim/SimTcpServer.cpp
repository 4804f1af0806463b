#include "sim/SimTcpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "sim/SimInverter.h"

namespace {
bool RtuCrcOk(const QByteArray& b, int n) {
  const auto* p = reinterpret_cast<const uint8_t*>(b.constData());
  const uint16_t crc = sim::Crc16(p, n - 2);
  return p[n - 2] == (crc & 0xFF) && p[n - 1] == (crc >> 8);
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool WriteAll(int fd, const char* p, int n) {
  while (n > 0) {
    const ssize_t w = ::send(fd, p, size_t(n), MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd q{fd, POLLOUT, 0};
      ::poll(&q, 1, 100);
      continue;
    }
    if (w <= 0) return false;
    p += w;
    n -= int(w);
  }
  return true;
}
}  // namespace

struct SimTcpServer::Conn {
  int fd;
  QByteArray pending;
};

int SimTcpServer::RequestLength(const QByteArray& buf) {
  const int n = int(buf.size());
  if (n < 7) return 0;
  const auto* p = reinterpret_cast<const uint8_t*>(buf.constData());
  if (p[1] == 0x10) return 9 + p[6];
  if (n < 8) return 0;
  if (RtuCrcOk(buf, 8)) return 8;
  // Not a whole RTU frame of 8: the older line's STX/ETX frame is 9 long.
  return 9;
}

SimTcpServer::SimTcpServer(Handler handler) : handler_(std::move(handler)) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw std::runtime_error("socket");
  const int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // loopback only, never another address
  a.sin_port = 0;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listenFd_, 16) != 0)
    throw std::runtime_error("bind/listen");
  socklen_t len = sizeof a;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe");
  thread_ = std::thread([this] { Run(); });
}

SimTcpServer::~SimTcpServer() {
  stop_ = true;
  const char c = 1;
  (void)!::write(wakePipe_[1], &c, 1);
  if (thread_.joinable()) thread_.join();
  ::close(listenFd_);
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
}

QString SimTcpServer::Address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

std::vector<QByteArray> SimTcpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_;
}

void SimTcpServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mu_);
  requests_.clear();
}

bool SimTcpServer::WaitOpenConnections(int n, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (open_ != n) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    SleepMs(2);
  }
  return true;
}

void SimTcpServer::Run() {
  std::vector<Conn> conns;
  auto drop = [&](size_t i) {
    ::close(conns[i].fd);
    conns.erase(conns.begin() + long(i));
    --open_;
  };
  while (!stop_) {
    std::vector<pollfd> fds;
    fds.push_back({wakePipe_[0], POLLIN, 0});
    fds.push_back({listenFd_, POLLIN, 0});
    for (const Conn& c : conns) fds.push_back({c.fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), 200) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (stop_) break;
    if (fds[1].revents & POLLIN) {
      const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        conns.push_back({fd, {}});
        ++accepted_;
        ++open_;
      }
    }
    // Walk the connections polled this round, newest first so erasing is safe.
    for (size_t k = fds.size(); k-- > 2;) {
      const size_t i = k - 2;
      if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[2048];
      const ssize_t r = ::recv(conns[i].fd, buf, sizeof buf, 0);
      if (r <= 0) {
        drop(i);
        continue;
      }
      conns[i].pending.append(buf, int(r));
      bool closed = false;
      for (;;) {
        const int need = RequestLength(conns[i].pending);
        if (need == 0 || conns[i].pending.size() < need) break;
        const QByteArray frame = conns[i].pending.left(need);
        conns[i].pending.remove(0, need);
        {
          std::lock_guard<std::mutex> lock(mu_);
          requests_.push_back(frame);
        }
        if (closeOnRequest_) {
          closed = true;
          break;
        }
        const QByteArray reply = handler_ ? handler_(frame) : QByteArray();
        if (silent_ || reply.isEmpty()) continue;
        if (delayMs_ > 0) SleepMs(delayMs_);
        const int split = splitAt_;
        bool ok;
        if (split > 0 && split < reply.size()) {
          ok = WriteAll(conns[i].fd, reply.constData(), split);
          SleepMs(splitGapMs_);
          ok = ok && WriteAll(conns[i].fd, reply.constData() + split, int(reply.size()) - split);
        } else {
          ok = WriteAll(conns[i].fd, reply.constData(), int(reply.size()));
        }
        if (!ok || closeAfterReply_) {
          closed = true;
          break;
        }
      }
      if (closed) drop(i);
    }
  }
  for (size_t i = conns.size(); i-- > 0;) drop(i);
}
