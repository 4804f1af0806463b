#include "link/Mysock.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/Myfunc.h"
#include "link/LinkUi.h"
#include "link/Modbus.h"
#include "platform/CFormat.h"

namespace {
using Clock = std::chrono::steady_clock;

// How long a send may wait for room in the socket (or for the connection to
// come up) before it counts as failed.
constexpr int kSendWaitMs = 1000;

void PumpMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? int(left) : 0;
}

bool ValidId(int id) { return id >= 0 && id < QorClient::kSlots; }

QString SystemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// The module turned the connection away or dropped it, or no route leads to
// it: errors that waiting does not mend.
bool ConnectionLost(int err) {
  switch (err) {
    case ECONNREFUSED:
    case ECONNRESET:
    case EPIPE:
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
      return true;
    default:
      return false;
  }
}
}  // namespace

void QorClient::SetError(int id, const QString& reason, int err) {
  error_ = (ValidId(id) ? peers_[id] : QString()) + QStringLiteral(": ") + reason;
  errno_ = err;
}

QorClient::QorClient() { Sockets.fill(kNoSocket); }

void QorClient::CloseSlot(int id) {
  if (!ValidId(id)) return;
  if (Sockets[id] != kNoSocket) ::close(Sockets[id]);
  Sockets[id] = kNoSocket;
}

void QorClient::CloseAll() {
  for (int id = 0; id < kSlots; ++id) CloseSlot(id);
}

int QorClient::Connect(int id, const QString& host, const QString& service) {
  if (!ValidId(id)) return -1;
  CloseSlot(id);
  error_.clear();
  errno_ = 0;
  peers_[id] = (host.contains(':') ? QLatin1Char('[') + host + QLatin1Char(']') : host) + QLatin1Char(':') + service;
  connectErr_[id] = 0;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.toLatin1().constData(), service.toLatin1().constData(), &hints, &found);
  PumpMessages();
  if (rc != 0 || !found) {
    SetError(id, rc == EAI_SYSTEM ? SystemReason(errno) : QString::fromLocal8Bit(::gai_strerror(rc)));
    return -1;
  }

  // The resolved family is used as it came, so a name that resolves to IPv6
  // first still gets a socket that can reach it.
  const int s = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  if (s < 0) {
    SetError(id, SystemReason(errno));
    ::freeaddrinfo(found);
    return -1;
  }
  const int flags = ::fcntl(s, F_GETFL, 0);
  if (flags < 0 || ::fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0) {
    SetError(id, SystemReason(errno));
    ::close(s);
    ::freeaddrinfo(found);
    return -1;
  }
  Sockets[id] = s;
  // Not waited for: whether the connection came up shows at the first send.
  // A refusal reported at once is kept for that send to name.
  if (::connect(s, found->ai_addr, found->ai_addrlen) != 0 && errno != EINPROGRESS) connectErr_[id] = errno;
  ::freeaddrinfo(found);
  return 0;
}

int QorClient::Send(int id, const uint8_t* data, int n) {
  error_.clear();
  errno_ = 0;
  if (!HasSocket(id) || n < 0) {
    SetError(id, QStringLiteral("no connection"));
    return 1;
  }
  const int s = Sockets[id];
  int sent = 0;
  bool failed = false;
  int err = 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kSendWaitMs);
  while (sent < n) {
    const ssize_t r = ::send(s, data + sent, size_t(n - sent), MSG_NOSIGNAL);
    if (r > 0) {
      sent += int(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && MsLeft(deadline) > 0) {
      // Still connecting, or the send queue is full: wait for room, bounded.
      // An error on the socket wakes the wait and the next send reports it.
      pollfd p{s, POLLOUT, 0};
      if (::poll(&p, 1, MsLeft(deadline)) >= 0) continue;
    }
    err = r < 0 ? errno : 0;
    failed = true;
    break;
  }
  PumpMessages();
  if (failed) {
    // The connection's own error (a refusal) says more than the send's.
    int pending = 0;
    socklen_t len = sizeof pending;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &pending, &len) == 0 && pending != 0) err = pending;
    else if (connectErr_[id] != 0) err = connectErr_[id];
    const bool late = err == EAGAIN || err == EWOULDBLOCK || err == 0;
    SetError(id, late ? QStringLiteral("not ready to send within %1 ms").arg(kSendWaitMs) : SystemReason(err),
             late ? 0 : err);
    CloseSlot(id);
    return 1;
  }
  return 0;
}

int QorClient::WaitReadable(int sock, int timeoutMs) {
  pollfd p{sock, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return -1;
  if (r == 0) return 1;
  return (p.revents & (POLLIN | POLLHUP | POLLERR)) ? 0 : -1;
}

int QorClient::Receive(int id, int timeoutMs, const ReplyLengthFn& replyLength) {
  std::memset(RxBuf, 0, sizeof RxBuf);
  RxLen = 0;
  error_.clear();
  errno_ = 0;
  if (!HasSocket(id)) {
    SetError(id, QStringLiteral("no connection"));
    return 1;
  }
  const int s = Sockets[id];
  // The wait blocks the window on purpose: one exchange at a time, and the
  // reply must not be interleaved with another request.
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs) + std::chrono::milliseconds(1);
  bool closeAfter = false;
  int result = 0;
  for (;;) {
    const int w = WaitReadable(s, MsLeft(deadline));
    if (w != 0) {
      // Time-out or a failed wait. Bytes of a reply cut short are kept for
      // the caller's checks; the stream is no longer in step either way.
      closeAfter = true;
      result = RxLen > 0 ? 0 : 1;
      const int err = w > 0 ? 0 : errno;
      SetError(id, w > 0 ? QStringLiteral("no reply within %1 ms").arg(timeoutMs) : SystemReason(err), err);
      break;
    }
    const ssize_t r = ::recv(s, RxBuf + RxLen, size_t(kRxSize - 1 - RxLen), 0);
    if (r < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      const int err = errno;
      SetError(id, SystemReason(err), err);
      closeAfter = true;
      result = RxLen > 0 ? 0 : 1;
      break;
    }
    if (r == 0) break;  // peer closed: what came is the reply; the slot stays
    RxLen += int(r);
    if (RxLen >= kRxSize - 1) break;
    if (!replyLength) break;
    const int want = replyLength(RxBuf, RxLen);
    if (want > 0 && RxLen >= want) break;
  }
  RxBuf[RxLen] = 0;
  PumpMessages();
  if (closeAfter) CloseSlot(id);
  return result;
}

QByteArray QorClient::TakeQueued(int id) {
  QByteArray taken;
  if (!HasSocket(id)) return taken;
  const int s = Sockets[id];
  // Only what is there now: a peer that keeps sending cannot hold us here.
  int queued = 0;
  if (::ioctl(s, FIONREAD, &queued) != 0 || queued <= 0) return taken;
  taken.resize(queued);
  int got = 0;
  while (got < queued) {
    const ssize_t r = ::recv(s, taken.data() + got, size_t(queued - got), 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += int(r);
  }
  taken.resize(got);
  return taken;
}

WifiAddress WifiModuleAddress() {
  const QString env = qEnvironmentVariable("QORVANE_WIFI_ADDR").trimmed();
  if (!env.isEmpty()) {
    const int colon = env.lastIndexOf(':');
    if (colon > 0 && colon < env.size() - 1) {
      QString host = env.left(colon);
      if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
      return {host, env.mid(colon + 1)};
    }
    return {env, QStringLiteral("5001")};
  }
  return {QStringLiteral("10.10.100.254"), QStringLiteral("5001")};
}

// ---------------------------------------------------------------------------
// The Wi-Fi link's exchange: the RTU frame as it stands in TxBuf, CRC and
// all, on the slave ID's own connection to the module.

int Modbus::TransactTcp() {
  LinkUi& ui = CurrentLinkUi();
  const unsigned serial = ++exchangeSerial_;
  interrupted_ = false;
  tcpSendFailed_ = false;
  const int id = SlaveId;
  tcpFailure_.clear();

  // 0 = a socket to send on; -1 = none could be made; 1 = a nested exchange
  // ran meanwhile.
  const auto connect = [&]() -> int {
    if (Client.HasSocket(id)) return 0;
    const WifiAddress addr = WifiModuleAddress();
    if (Client.Connect(id, addr.host, addr.service) != 0) {
      ui.Trace(QStringLiteral("Error - Build Socket: ") + Client.LastError());
      ClearReply();
      return -1;
    }
    DelayMs(50);  // give the connection a moment before the first frame
    if (serial != exchangeSerial_) {
      // A nested exchange ran from the event processing and rebuilt TxBuf.
      interrupted_ = true;
      ClearReply();
      return 1;
    }
    return 0;
  };
  const auto send = [&] { return Client.Send(id, Port.TxBuf, std::clamp(TxLength, 0, Tcomm::kTxSize)) == 0; };

  const bool kept = Client.HasSocket(id);
  if (const int r = connect()) return r < 0 ? -1 : 0;
  ClearReply();
  // A late or repeated reply still queued answers nothing we ask now, like
  // the bytes the serial exchange discards before it sends.
  TraceDiscarded(Client.TakeQueued(id));
  ++TxCount;
  bool sent = send();
  if (!sent && kept && ConnectionLost(Client.LastErrno())) {
    // The connection kept from the last exchange died meanwhile (the module
    // dropped it while idle): a fresh one, before the module counts as gone.
    ui.Trace(QStringLiteral("Error - Send: ") + Client.LastError());
    if (const int r = connect()) return r < 0 ? -1 : 0;
    sent = send();
  }
  if (!sent) {
    ui.Trace(QStringLiteral("Error - Send: ") + Client.LastError());
    ++NoConnectCount;
    tcpSendFailed_ = true;
    if (ConnectionLost(Client.LastErrno())) tcpFailure_ = Client.LastError();
  } else {
    TraceTx();
    const auto replyLength = [this](const uint8_t* rx, int n) { return ExpectedReplyLength(rx, n); };
    if (Client.Receive(id, kTcpReplyTimeoutMs, replyLength)) {
      ui.Trace(QStringLiteral("Error - Receive: ") + Client.LastError());
      if (ConnectionLost(Client.LastErrno())) tcpFailure_ = Client.LastError();
    } else {
      const int received = std::max(Client.RxLen, 0);
      // Bytes past the reply's own length came in the same piece but are no
      // part of it (a repeated frame, say).
      const int whole = ExpectedReplyLength(Client.RxBuf, received);
      const int n = whole > 0 ? std::min(received, whole) : received;
      TraceDiscarded(QByteArray(reinterpret_cast<const char*>(Client.RxBuf) + n, received - n));
      // The module closed this connection: the next exchange makes a new
      // one rather than send into it.
      if (received == 0) Client.CloseSlot(id);
      Port.RxCount = n;
      std::memcpy(Port.RxBuf, Client.RxBuf, size_t(n));
      Port.RxBuf[n] = 0;
      RxLength = n;
      if (n > 0) {
        std::memcpy(Reply, Client.RxBuf, size_t(n));
        TraceRx();
        ReplyValid = ValidateReply() ? 1 : 0;
      }
    }
  }
  // The counters are those before this exchange is counted (Transact counts it).
  ui.SetStatus(3, CFormat("%d", TxCount));
  ui.SetStatus(5, CFormat("NoCon/NoRx/Error:%d/%d/%d", NoConnectCount, NoReplyCount, CrcErrors));
  // A refused or reset connection is the link failing, as a pulled serial
  // adapter is; a module that is slow or silent is not.
  return tcpFailure_.isEmpty() ? 0 : 1;
}
