#include "sim/SimRadioDongle.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

#include "sim/SimInverter.h"

namespace {
// The dongle's fixed-length commands; "rf set_freq " and "rf tx " carry 9
// digits and 26 hexadecimal digits. Commands come without a line end.
struct Known {
  const char* text;
  int length;
};
constexpr Known kCommands[] = {
    {"rf set_freq ", 21}, {"rf tx ", 32},         {"rf rx_con off", 13}, {"rf rx_con on", 12},
    {"rf set_sync 51", 14}, {"rf set_sf 9", 11}, {"rf set_bw 250", 13}, {"rf set_pwr 15", 13},
};
}  // namespace

SimRadioDongle::SimRadioDongle(Handler handler) : handler_(std::move(handler)) {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
  termios t{};
  ::tcgetattr(slave_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(slave_, TCSANOW, &t);
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
  path_ = QString::fromLocal8Bit(name);
  if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe");
  lineTime_ = std::make_unique<sim::LineMember>(master_);
  thread_ = std::thread([this] { Run(); });
}

SimRadioDongle::~SimRadioDongle() {
  stop_ = true;
  const char c = 1;
  (void)!::write(wakePipe_[1], &c, 1);
  if (thread_.joinable()) thread_.join();
  lineTime_.reset();
  ::close(master_);
  ::close(slave_);
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
}

std::vector<QByteArray> SimRadioDongle::Commands() const {
  std::lock_guard<std::mutex> lock(mu_);
  return commands_;
}

std::vector<QByteArray> SimRadioDongle::Payloads() const {
  std::lock_guard<std::mutex> lock(mu_);
  return payloads_;
}

void SimRadioDongle::ClearRecords() {
  std::lock_guard<std::mutex> lock(mu_);
  commands_.clear();
  payloads_.clear();
}

void SimRadioDongle::Answer(const QByteArray& text) {
  const char* p = text.constData();
  int n = int(text.size());
  while (n > 0) {
    const ssize_t w = ::write(master_, p, size_t(n));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    p += w;
    n -= int(w);
  }
}

void SimRadioDongle::Handle(const QByteArray& command) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    commands_.push_back(command);
  }
  if (command.startsWith("rf set_freq ")) {
    bool ok = false;
    const int hz = command.mid(12).toInt(&ok);
    if (!ok || hz == refusedHz_) {
      Answer("Error\r\n");
      return;
    }
    dongleHz_ = hz;
    Answer("Ok\r\n");
    return;
  }
  if (command == "rf rx_con on") {
    receiving_ = true;
    Answer("Ok\r\n");
    return;
  }
  if (command == "rf rx_con off") {
    receiving_ = false;
    pending_.clear();  // a reply that missed the window is lost
    Answer("Ok\r\n");
    return;
  }
  if (command.startsWith("rf tx ")) {
    const QByteArray payload = QByteArray::fromHex(command.mid(6));
    {
      std::lock_guard<std::mutex> lock(mu_);
      payloads_.push_back(payload);
    }
    Answer("Ok\r\n");
    const auto* p = reinterpret_cast<const uint8_t*>(payload.constData());
    if (payload.size() != 13) return;
    const uint16_t crc = sim::Crc16(p, 11);
    if (p[11] != (crc & 0xFF) || p[12] != (crc >> 8)) return;
    if (dongleHz_ != inverterHz_) return;  // nobody listens on this frequency
    QByteArray request = payload.left(6);
    const uint16_t rc = sim::Crc16(p, 6);
    request.append(char(rc & 0xFF)).append(char(rc >> 8));
    QByteArray reply = handler_ ? handler_(request) : QByteArray();
    inverterHz_ = int(uint32_t(p[6]) << 24 | uint32_t(p[7]) << 16 | uint32_t(p[8]) << 8 | p[9]);
    if (reply.isEmpty()) return;
    if (corrupt_) reply[reply.size() - 3] = char(reply[reply.size() - 3] ^ 0x5A);
    QByteArray line = "radio_rx " + reply.toHex().toUpper();
    if (reportQuality_) line += " " + QByteArray::number(int(rssi_)) + " " + QByteArray::number(int(snr_));
    pending_ = line + "\r\n";
    return;
  }
  Answer("Ok\r\n");  // the set-up commands
}

void SimRadioDongle::Run() {
  QByteArray buf;
  // The reply goes out on the line's time, which does not pass it meanwhile.
  LineTimePoint deliverAt{};
  bool wasReceiving = false;
  while (!stop_) {
    int timeout = 200;
    if (receiving_ && !pending_.isEmpty()) {
      // Well inside the tool's receive window (50 ms to 950 ms after "rf rx_con on").
      if (!wasReceiving) {
        deliverAt = sim::LineNow() + std::chrono::milliseconds(400);
        lineTime_->AnswerAt(deliverAt);
      }
      const long long left = std::chrono::duration_cast<std::chrono::milliseconds>(deliverAt - sim::LineNow()).count();
      if (left <= 0) {
        lineTime_->Handling(true);
        Answer(pending_);
        pending_.clear();
        lineTime_->AnswerAt(std::nullopt);
        lineTime_->Handling(false);
      } else {
        timeout = int(std::min(left, 5LL));  // the line's time may stand still
      }
    }
    wasReceiving = receiving_ && !pending_.isEmpty();
    pollfd fds[2] = {{wakePipe_[0], POLLIN, 0}, {master_, POLLIN, 0}};
    if (::poll(fds, 2, timeout) < 0 && errno != EINTR) break;
    if (stop_) break;
    if (!(fds[1].revents & POLLIN)) continue;
    lineTime_->Handling(true);
    HandleInput(buf);
    lineTime_->Handling(false);
    if (pending_.isEmpty()) lineTime_->AnswerAt(std::nullopt);  // a reply the window missed is lost
  }
}

// Reads what came and handles every whole command in it.
void SimRadioDongle::HandleInput(QByteArray& buf) {
  char chunk[512];
  const ssize_t r = ::read(master_, chunk, sizeof chunk);
  if (r <= 0) return;
  buf.append(chunk, int(r));
  // Take every whole command off the front; skip a byte that starts none.
  for (;;) {
    bool matched = false, waiting = false;
    for (const Known& k : kCommands) {
      const QByteArray text(k.text);
      const int common = int(std::min<qsizetype>(buf.size(), text.size()));
      if (buf.left(common) != text.left(common)) continue;
      if (buf.size() < k.length) {
        waiting = true;
        continue;
      }
      Handle(buf.left(k.length));
      buf.remove(0, k.length);
      matched = true;
      break;
    }
    if (matched) continue;
    if (waiting || buf.isEmpty()) break;
    buf.remove(0, 1);
  }
}
