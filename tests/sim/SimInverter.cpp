#include "sim/SimInverter.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QStringList>
#include <cerrno>
#include <stdexcept>

namespace sim {

// ---------------------------------------------------------------------------
// Helpers

uint16_t Crc16(const uint8_t* data, int n) {
  uint16_t r = 0xFFFF;
  for (int i = 0; i < n; ++i) {
    r ^= data[i];
    for (int k = 0; k < 8; ++k) r = (r & 1) ? static_cast<uint16_t>((r >> 1) ^ 0xA001) : static_cast<uint16_t>(r >> 1);
  }
  return r;
}

QByteArray WithCrc(QByteArray frame) {
  const uint16_t c = Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), static_cast<int>(frame.size()));
  frame.append(static_cast<char>(c & 0xFF));
  frame.append(static_cast<char>(c >> 8));
  return frame;
}

QByteArray Bytes(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

QByteArray Hex(const QString& text) {
  QByteArray out;
  for (const QString& t : text.split(' ', Qt::SkipEmptyParts)) out.append(static_cast<char>(t.toInt(nullptr, 16)));
  return out;
}

QString HexText(const QByteArray& bytes) {
  QStringList parts;
  for (char c : bytes) parts << QString::asprintf("%02X", static_cast<uint8_t>(c));
  return parts.join(' ');
}

namespace {

int Word(const QByteArray& b, int i) { return (At(b, i) << 8) | At(b, i + 1); }

QByteArray ExceptionReply(const QByteArray& request, uint8_t code) {
  return WithCrc(Bytes({At(request, 0), At(request, 1) | 0x80, code}));
}

int SpeedOf(speed_t s) {
  switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Modbus RTU

int RtuProtocol::FrameLength(const uint8_t* buf, int n) const {
  if (n < 2) return 0;
  switch (buf[1]) {
    case 1: case 3: case 4: case 5: case 6: return 8;
    case 0x10: return n < 7 ? 0 : 9 + buf[6];
    default: return -1;
  }
}

bool RtuProtocol::CheckFrame(const QByteArray& frame) const {
  const int n = static_cast<int>(frame.size());
  if (n < 4) return false;
  const uint16_t c = Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), n - 2);
  return At(frame, n - 2) == (c & 0xFF) && At(frame, n - 1) == (c >> 8);
}

std::optional<QByteArray> RtuProtocol::Answer(SimInverter& dev, const QByteArray& f) {
  SimInverter::Slave* s = dev.FindSlave(At(f, 0));
  if (!s || At(f, 0) == 0 || !dev.Hears(*s)) return std::nullopt;  // nobody there, or a broadcast
  if (!dev.ModbusAnswers(At(f, 0))) return std::nullopt;            // its bootloader runs
  const int fn = At(f, 1);
  const int first = Word(f, 2) + 1;  // the tool's register number
  const int count = Word(f, 4);
  QByteArray r = Bytes({At(f, 0), fn});

  auto known = [&](const auto& map, int reg) { return !s->strict || map.count(reg) > 0; };
  switch (fn) {
    case 1: {
      if (count < 1 || count > 2000) return ExceptionReply(f, 3);
      QByteArray data((count + 7) / 8, '\0');
      for (int i = 0; i < count; ++i) {
        if (!known(s->coils, first + i)) return ExceptionReply(f, 2);
        auto it = s->coils.find(first + i);
        if (it != s->coils.end() && it->second) data[i / 8] = static_cast<char>(At(data, i / 8) | (1 << (i % 8)));
      }
      r.append(static_cast<char>(data.size()));
      r.append(data);
      return WithCrc(r);
    }
    case 3:
    case 4: {
      if (count < 1 || count > 125) return ExceptionReply(f, 3);
      const auto& map = fn == 3 ? s->holding : s->input;
      r.append(static_cast<char>(2 * count));
      for (int i = 0; i < count; ++i) {
        std::optional<uint16_t> paged;
        if (fn == 4)
          for (const auto& [selector, byPage] : s->pages) {
            auto sel = s->holding.find(selector);
            auto page = byPage.find(sel == s->holding.end() ? 0 : sel->second);
            if (page == byPage.end()) continue;
            auto it = page->second.find(first + i);
            if (it != page->second.end()) paged = it->second;
          }
        if (!paged && !known(map, first + i)) return ExceptionReply(f, 2);
        auto it = map.find(first + i);
        const uint16_t v = paged ? *paged : it == map.end() ? 0 : it->second;
        r.append(static_cast<char>(v >> 8));
        r.append(static_cast<char>(v & 0xFF));
      }
      return WithCrc(r);
    }
    case 5:
      if (count != 0xFF00 && count != 0) return ExceptionReply(f, 3);
      if (!known(s->coils, first)) return ExceptionReply(f, 2);
      s->coils[first] = count == 0xFF00;
      return f;  // echo
    case 6:
      if (!known(s->holding, first)) return ExceptionReply(f, 2);
      if (s->refused.count(first)) return ExceptionReply(f, 3);
      s->holding[first] = static_cast<uint16_t>(count);
      if (auto m = s->mirrors.find(first); m != s->mirrors.end()) s->holding[m->second] = static_cast<uint16_t>(count);
      return f;
    case 0x10: {
      if (count < 1 || count > 123 || At(f, 6) != 2 * count) return ExceptionReply(f, 3);
      for (int i = 0; i < count; ++i)
        if (!known(s->holding, first + i)) return ExceptionReply(f, 2);
      for (int i = 0; i < count; ++i) {
        const auto v = static_cast<uint16_t>(Word(f, 7 + 2 * i));
        s->holding[first + i] = v;
        if (auto m = s->mirrors.find(first + i); m != s->mirrors.end()) s->holding[m->second] = v;
      }
      return WithCrc(f.left(6));
    }
    default:
      return ExceptionReply(f, 1);
  }
}

// ---------------------------------------------------------------------------
// The device

SimInverter::SimInverter() {
  termios raw{};
  cfmakeraw(&raw);
  cfsetispeed(&raw, B9600);
  cfsetospeed(&raw, B9600);
  char name[128] = {};
  if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) throw std::runtime_error("openpty failed");
  path_ = QString::fromLocal8Bit(name);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  if (pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  protocols_.push_back(std::make_unique<RtuProtocol>());
  lines_.push_back({Line::Kind::Pty, master_, {}});
  lineTime_ = std::make_unique<LineMember>(master_);
  thread_ = std::thread([this] { Run(); });
}

SimInverter::~SimInverter() {
  {
    std::lock_guard lock(mu_);
    stop_ = true;
  }
  const char c = 'x';
  (void)!write(wake_[1], &c, 1);
  thread_.join();
  lineTime_.reset();
  for (const Line& l : lines_)
    if (l.kind != Line::Kind::Pty) close(l.fd);
  for (int fd : newListeners_) close(fd);
  close(wake_[0]);
  close(wake_[1]);
  close(slave_);
  if (master_ >= 0) close(master_);
}

QString SimInverter::PortPath() const { return path_; }

void SimInverter::AddSlave(int id) {
  std::lock_guard lock(mu_);
  slaves_[id];
}
void SimInverter::RemoveSlave(int id) {
  std::lock_guard lock(mu_);
  slaves_.erase(id);
}
void SimInverter::SetStrict(int id, bool strict) {
  std::lock_guard lock(mu_);
  slaves_[id].strict = strict;
}
void SimInverter::SetHolding(int id, int reg, uint16_t value) {
  std::lock_guard lock(mu_);
  slaves_[id].holding[reg] = value;
}
void SimInverter::SetHoldingBlock(int id, int reg, const std::vector<uint16_t>& values) {
  std::lock_guard lock(mu_);
  for (size_t i = 0; i < values.size(); ++i) slaves_[id].holding[reg + static_cast<int>(i)] = values[i];
}
void SimInverter::SetInput(int id, int reg, uint16_t value) {
  std::lock_guard lock(mu_);
  slaves_[id].input[reg] = value;
}
void SimInverter::SetPagedInput(int id, int selector, int page, int reg, const std::vector<uint16_t>& values) {
  std::lock_guard lock(mu_);
  auto& window = slaves_[id].pages[selector][page];
  for (size_t i = 0; i < values.size(); ++i) window[reg + static_cast<int>(i)] = values[i];
}
void SimInverter::SetCoil(int id, int coil, bool on) {
  std::lock_guard lock(mu_);
  slaves_[id].coils[coil] = on;
}
void SimInverter::SetMirror(int id, int written, int readBack) {
  std::lock_guard lock(mu_);
  slaves_[id].mirrors[written] = readBack;
}
void SimInverter::SetRefused(int id, int reg) {
  std::lock_guard lock(mu_);
  slaves_[id].refused.insert(reg);
}
void SimInverter::SetSlaveBaud(int id, int baud) {
  std::lock_guard lock(mu_);
  slaves_[id].baud = baud;
}
void SimInverter::SetProductId(int id, uint32_t productId) {
  std::lock_guard lock(mu_);
  slaves_[id].productId = productId;
}
uint16_t SimInverter::Holding(int id, int reg) const {
  std::lock_guard lock(mu_);
  auto s = slaves_.find(id);
  if (s == slaves_.end()) return 0;
  auto it = s->second.holding.find(reg);
  return it == s->second.holding.end() ? 0 : it->second;
}
bool SimInverter::Coil(int id, int coil) const {
  std::lock_guard lock(mu_);
  auto s = slaves_.find(id);
  if (s == slaves_.end()) return false;
  auto it = s->second.coils.find(coil);
  return it != s->second.coils.end() && it->second;
}
SimInverter::Slave* SimInverter::FindSlave(int id) {
  auto it = slaves_.find(id);
  return it == slaves_.end() ? nullptr : &it->second;
}

bool SimInverter::Hears(const Slave& s) const { return !fromPty_ || s.baud == 0 || s.baud == LineBaud(); }

std::optional<QByteArray> SimInverter::Exchange(const QByteArray& frame, const QString& line) {
  std::lock_guard lock(mu_);
  const auto* bytes = reinterpret_cast<const uint8_t*>(frame.constData());
  for (auto& p : protocols_) {
    if (p->FrameLength(bytes, static_cast<int>(frame.size())) != frame.size() || !p->CheckFrame(frame)) continue;
    frames_.push_back({frame, true, p->Name(), line, std::chrono::steady_clock::now()});
    frameArrived_.notify_all();
    fromPty_ = false;
    line_ = line;
    std::optional<QByteArray> answer = p->Answer(*this, frame);
    fromPty_ = true;
    line_ = QStringLiteral("pty");
    if (answer) ++answers_;
    return answer;
  }
  frames_.push_back({frame, false, QStringLiteral("noise"), line, std::chrono::steady_clock::now()});
  frameArrived_.notify_all();
  return std::nullopt;
}

void SimInverter::SetModbusGate(std::function<bool(int id)> gate) {
  std::lock_guard lock(mu_);
  modbusGate_ = std::move(gate);
}

void SimInverter::QueueFault(const ReplyFault& f) {
  std::lock_guard lock(mu_);
  queued_.push_back(f);
}
void SimInverter::SetStandingFault(const ReplyFault& f) {
  std::lock_guard lock(mu_);
  standing_ = f;
}
void SimInverter::ClearFaults() {
  std::lock_guard lock(mu_);
  queued_.clear();
  standing_ = {};
}

std::vector<SimFrame> SimInverter::Frames() const {
  std::lock_guard lock(mu_);
  return frames_;
}
void SimInverter::ClearFrames() {
  std::lock_guard lock(mu_);
  frames_.clear();
}
bool SimInverter::WaitForFrames(size_t n, int timeoutMs) const {
  std::unique_lock lock(mu_);
  return frameArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return frames_.size() >= n; });
}
int SimInverter::AnswersSent() const {
  std::lock_guard lock(mu_);
  return answers_;
}

int SimInverter::LineBaud() const {
  termios t{};
  if (tcgetattr(slave_, &t) != 0) return 0;
  return SpeedOf(cfgetospeed(&t));
}
void SimInverter::MarkLine() {
  termios t{};
  tcgetattr(slave_, &t);
  t.c_cc[VTIME] = 7;
  tcsetattr(slave_, TCSANOW, &t);
}
bool SimInverter::LineMarked() const {
  termios t{};
  tcgetattr(slave_, &t);
  return t.c_cc[VTIME] == 7;
}

void SimInverter::SendRaw(const QByteArray& bytes) {
  int fd;
  {
    std::lock_guard lock(mu_);
    fd = master_;
  }
  if (fd >= 0) WriteAll(fd, bytes);
}

int SimInverter::ListenTcp() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return 0;
  }
  {
    std::lock_guard lock(mu_);
    newListeners_.push_back(fd);
  }
  const char c = 'l';
  (void)!write(wake_[1], &c, 1);
  return ntohs(addr.sin_port);
}

int SimInverter::TcpConnections(int expected) const {
  std::unique_lock lock(mu_);
  frameArrived_.wait_for(lock, std::chrono::seconds(5), [&] { return tcpConnections_ >= expected; });
  return tcpConnections_;
}

void SimInverter::LoseTcp() {
  std::unique_lock lock(mu_);
  loseTcp_ = true;
  const char c = 'd';
  (void)!write(wake_[1], &c, 1);
  frameArrived_.wait(lock, [&] { return !loseTcp_; });
}

void SimInverter::AddProtocol(std::unique_ptr<SimProtocol> p, bool first) {
  std::lock_guard lock(mu_);
  if (first)
    protocols_.insert(protocols_.begin(), std::move(p));
  else
    protocols_.push_back(std::move(p));
}

void SimInverter::WriteAll(int fd, const QByteArray& bytes) {
  int done = 0;
  while (done < bytes.size()) {
    const char* p = bytes.constData() + done;
    const size_t n = static_cast<size_t>(bytes.size() - done);
    ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
    if (w < 0 && errno == ENOTSOCK) w = write(fd, p, n);
    if (w > 0)
      done += static_cast<int>(w);
    else if (w < 0 && errno == EINTR)
      continue;
    else
      return;
  }
}

// Sends an answer as the current fault says (called without the lock held).
void SimInverter::Deliver(int fd, QByteArray reply) {
  ReplyFault f;
  {
    std::lock_guard lock(mu_);
    if (!queued_.empty()) {
      f = queued_.front();
      queued_.pop_front();
    } else {
      f = standing_;
    }
  }
  using K = ReplyFault::Kind;
  // On the line's time, so that a late thread cannot stretch a gap the test set.
  auto sleep = [this](int ms) {
    if (lineTime_) lineTime_->WaitLineMs(ms);
    else std::this_thread::sleep_for(std::chrono::milliseconds(ms));  // the pty is gone
  };
  switch (f.kind) {
    case K::Silent: return;
    case K::HangUp:
      hangUpFd_ = fd;
      return;
    case K::BadCrc: reply[reply.size() - 1] = static_cast<char>(At(reply, static_cast<int>(reply.size()) - 1) ^ 0x5A); break;
    case K::Garbage: reply = f.bytes; break;
    case K::Delay: sleep(f.ms); break;
    case K::Stall: std::this_thread::sleep_for(std::chrono::milliseconds(f.ms)); break;
    case K::Short:
      if (reply.size() >= 7 && (At(reply, 1) == 3 || At(reply, 1) == 4)) {
        reply.chop(4);  // last data word and CRC
        reply[2] = static_cast<char>(At(reply, 2) - 2);
        reply = WithCrc(reply);
      }
      break;
    case K::Exception: reply = WithCrc(Bytes({At(reply, 0), At(reply, 1) | 0x80, f.code})); break;
    case K::Repeat:
      if (f.ms > 0) {
        WriteAll(fd, reply);
        sleep(f.ms);
      } else {
        reply += reply;
      }
      break;
    case K::Split: {
      int at = 0;
      for (int size : f.pieces) {
        if (at >= reply.size()) break;
        WriteAll(fd, reply.mid(at, size));
        at += size;
        sleep(f.ms);
      }
      reply = reply.mid(at);
      break;
    }
    case K::None: break;
  }
  if (!reply.isEmpty()) WriteAll(fd, reply);
  std::lock_guard lock(mu_);
  ++answers_;
}

// Takes whole frames off the front of the line's bytes; `stale` means no byte
// came for a while, so an incomplete rest is a broken frame, not one still
// arriving.
void SimInverter::Process(Line& line, bool stale) {
  std::vector<uint8_t>& buf = line.buf;
  const QString via = line.kind == Line::Kind::Pty ? QStringLiteral("pty") : QStringLiteral("tcp");
  while (!buf.empty()) {
    std::optional<QByteArray> answer;
    bool taken = false, waiting = false, dropped = false;
    {
      std::lock_guard lock(mu_);
      const auto now = std::chrono::steady_clock::now();
      SimProtocol* firstComplete = nullptr;
      int firstLength = 0;
      for (auto& p : protocols_) {
        const int len = p->FrameLength(buf.data(), static_cast<int>(buf.size()));
        if (len < 0) continue;
        if (len == 0 || len > static_cast<int>(buf.size())) {
          waiting = true;
          continue;
        }
        const QByteArray frame(reinterpret_cast<const char*>(buf.data()), len);
        if (!firstComplete) {
          firstComplete = p.get();
          firstLength = len;
        }
        if (!p->CheckFrame(frame)) continue;
        frames_.push_back({frame, true, p->Name(), via, now});
        fromPty_ = line.kind == Line::Kind::Pty;
        line_ = via;
        answer = p->Answer(*this, frame);
        if (dropLine_) {
          dropLine_ = false;
          answer.reset();
          if (line.kind == Line::Kind::Tcp) {
            shutdown(line.fd, SHUT_RDWR);  // the I/O loop then closes it
            dropped = true;
          }
        }
        fromPty_ = true;
        line_ = QStringLiteral("pty");
        buf.erase(buf.begin(), buf.begin() + len);
        taken = true;
        break;
      }
      if (!taken && (!waiting || stale)) {
        if (firstComplete) {
          // A whole frame whose check fails: a real slave keeps quiet.
          frames_.push_back({QByteArray(reinterpret_cast<const char*>(buf.data()), firstLength), false,
                             firstComplete->Name(), via, now});
          buf.erase(buf.begin(), buf.begin() + firstLength);
        } else {
          frames_.push_back({QByteArray(reinterpret_cast<const char*>(buf.data()), static_cast<int>(buf.size())),
                             false, QStringLiteral("noise"), via, now});
          buf.clear();
        }
        taken = true;
      }
      if (taken) frameArrived_.notify_all();
    }
    if (dropped) {
      buf.clear();  // nothing more is heard on a line that went down
      return;
    }
    if (answer) Deliver(line.fd, *answer);
    if (!taken) return;  // wait for more bytes
  }
}

void SimInverter::HangUpLines() {
  if (hangUpFd_ < 0) return;
  for (Line& l : lines_) {
    if (l.fd != hangUpFd_) continue;
    if (l.kind == Line::Kind::Pty) {
      // The line's time no longer waits on this device.
      lineTime_.reset();
      std::lock_guard lock(mu_);
      master_ = -1;
    }
    close(l.fd);
    l.fd = -1;
  }
  hangUpFd_ = -1;
}

void SimInverter::Run() {
  for (;;) {
    {
      std::lock_guard lock(mu_);
      if (stop_) return;
      for (int fd : newListeners_) lines_.push_back({Line::Kind::Listener, fd, {}});
      newListeners_.clear();
      if (loseTcp_) {
        for (Line& l : lines_) {
          if (l.kind == Line::Kind::Pty) continue;
          if (l.kind == Line::Kind::Tcp) {
            // Closed with a reset, as a module that drops off the network.
            const linger reset{1, 0};
            setsockopt(l.fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
          }
          close(l.fd);
          l.fd = -1;
        }
        std::erase_if(lines_, [](const Line& l) { return l.fd < 0; });
        loseTcp_ = false;
        frameArrived_.notify_all();
      }
    }
    std::vector<pollfd> fds;
    bool partial = false;
    for (const Line& l : lines_) {
      fds.push_back({l.fd, POLLIN, 0});
      partial = partial || !l.buf.empty();
    }
    fds.push_back({wake_[0], POLLIN, 0});
    // While part of a frame waits, a pause of 30 ms ends it.
    const int r = poll(fds.data(), fds.size(), partial ? 30 : -1);
    if (r < 0 && errno == EINTR) continue;
    if (fds.back().revents & POLLIN) {
      char sink[16];
      (void)!read(wake_[0], sink, sizeof sink);
    }
    if (r == 0) {
      for (Line& l : lines_) Process(l, true);
      HangUpLines();
      std::erase_if(lines_, [](const Line& l) { return l.fd < 0; });
      continue;
    }
    std::vector<Line> accepted;
    for (size_t i = 0; i < lines_.size(); ++i) {
      Line& l = lines_[i];
      const short ev = fds[i].revents;
      if (!ev) continue;
      if (l.kind == Line::Kind::Listener) {
        const int c = accept4(l.fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0) {
          accepted.push_back({Line::Kind::Tcp, c, {}});
          std::lock_guard lock(mu_);
          ++tcpConnections_;
          frameArrived_.notify_all();
        }
        continue;
      }
      if (ev & POLLIN) {
        // A request on the pty is in hand from before it is read until it is answered.
        const bool pty = l.kind == Line::Kind::Pty;
        if (pty) lineTime_->Handling(true);
        uint8_t chunk[4096];
        const ssize_t n = read(l.fd, chunk, sizeof chunk);
        if (n > 0) {
          l.buf.insert(l.buf.end(), chunk, chunk + n);
          Process(l, false);
        }
        if (pty) lineTime_->Handling(false);
        if (n == 0 && l.kind == Line::Kind::Tcp) {
          close(l.fd);  // the tool closed the connection
          l.fd = -1;
        }
      } else if (ev & (POLLHUP | POLLERR)) {
        if (l.kind == Line::Kind::Tcp) {
          close(l.fd);
          l.fd = -1;
        } else {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
      }
    }
    HangUpLines();
    std::erase_if(lines_, [](const Line& l) { return l.fd < 0; });
    for (Line& l : accepted) lines_.push_back(std::move(l));
  }
}

}  // namespace sim
