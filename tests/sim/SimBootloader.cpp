#include "sim/SimBootloader.h"

#include <algorithm>
#include <mutex>

namespace sim {

namespace {

QByteArray Frame(int b0, int b1, int b2, int b3, int command, const QByteArray& payload, int lengthByte) {
  QByteArray f = Bytes({b0, b1, b2, b3, lengthByte < 0 ? 1 + int(payload.size()) : lengthByte, command});
  f.append(payload);
  return WithCrc(f);
}

QByteArray Key(const std::array<uint8_t, 7>& key) { return QByteArray(reinterpret_cast<const char*>(key.data()), 7); }

// Takes one use of a fault counted by command; true when it fires.
bool Use(std::map<int, int>& faults, int command) {
  auto it = faults.find(command);
  if (it == faults.end() || it->second <= 0) return false;
  if (--it->second == 0) faults.erase(it);
  return true;
}

}  // namespace

QByteArray BootRequest(int address, int command, const QByteArray& payload, int lengthByte) {
  return Frame(address & 0xFF, (address >> 8) & 0xFF, 0xFF, 0xFF, command, payload, lengthByte);
}

QByteArray BootReply(int id, int command, const QByteArray& payload, int lengthByte) {
  return Frame(0xFF, 0xFF, id & 0xFF, (id >> 8) & 0xFF, command, payload, lengthByte);
}

QByteArray Le32Bytes(uint32_t v) { return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)}); }

struct SimBootloader::State {
  std::mutex mu;
  std::map<int, BootDevice> devices;  // created on first use with the defaults
};

namespace {

class BootProtocol : public SimProtocol {
 public:
  explicit BootProtocol(std::shared_ptr<SimBootloader::State> state) : state_(std::move(state)) {}
  QString Name() const override { return QStringLiteral("boot"); }

  int FrameLength(const uint8_t* buf, int n) const override {
    // Address: an ID (high byte 0) or the broadcast 00 E0; then FF FF.
    if (n >= 2 && !(buf[1] == 0x00 || (buf[1] == 0xE0 && buf[0] == 0x00))) return -1;
    if ((n >= 3 && buf[2] != 0xFF) || (n >= 4 && buf[3] != 0xFF)) return -1;
    if (n < 6) return 0;
    if (buf[4] == 0) return -1;
    if (buf[5] == 0x90 && buf[4] == 1) return 9;  // the progress poll's extra zero byte
    return buf[4] + 7;
  }

  bool CheckFrame(const QByteArray& frame) const override {
    const int n = static_cast<int>(frame.size());
    if (n < 8) return false;
    const uint16_t c = Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), n - 2);
    return At(frame, n - 2) == (c & 0xFF) && At(frame, n - 1) == (c >> 8);
  }

  std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& f) override {
    const int address = At(f, 0) | At(f, 1) << 8;
    const int command = At(f, 5);
    const QByteArray payload = f.mid(6, f.size() - 8);
    const bool tcp = dev.CurrentLine() == QLatin1String("tcp");
    const bool broadcast = address == kBootBroadcastId;
    std::lock_guard lock(state_->mu);
    QByteArray out;
    bool any = false;
    for (int id = broadcast ? 1 : address; id <= (broadcast ? 253 : address); ++id) {
      SimInverter::Slave* s = dev.FindSlave(id);
      if (!s || id == 0) continue;
      BootDevice& d = state_->devices[id];
      if (broadcast && d.normalMode) continue;  // the application ignores the bootloader's broadcasts
      const bool heard = !d.normalMode && d.bootBaud && dev.CurrentLine() == QLatin1String("pty")
                             ? dev.LineBaud() == d.bootBaud
                             : dev.Hears(*s);
      if (!heard) continue;
      const std::optional<QByteArray> r = d.linkLost ? std::nullopt : Serve(id, *s, d, command, payload, tcp);
      if (d.linkLost) {
        if (tcp) dev.DropLine();
        continue;
      }
      if (r) {
        out += *r;
        any = true;
      }
    }
    if (!any) return std::nullopt;
    return out;
  }

 private:
  static QByteArray Error(int id, int command, const QByteArray& payload) {
    // The version reads name the processor they could not report.
    if ((command == 0x03 || command == 0x04) && !payload.isEmpty()) return BootReply(id, 0x80 | command, payload.left(1), 1);
    return BootReply(id, 0x80 | command);
  }

  static std::optional<QByteArray> Serve(int id, const SimInverter::Slave& s, BootDevice& d, int command,
                                         const QByteArray& payload, bool tcp) {
    if (Use(d.silent, command)) return std::nullopt;
    if (Use(d.errorReply, command)) return Error(id, command, payload);
    const auto text16 = [](const QByteArray& t) { return t.leftJustified(16, ' ', true); };
    switch (command) {
      case 0x00: return BootReply(id, command, Le32Bytes(s.productId));
      case 0x01: return BootReply(id, command, text16(d.serial));
      case 0x02: return BootReply(id, command, text16(d.model));
      case 0x03:
      case 0x04: {
        if (payload.isEmpty()) return Error(id, command, payload);
        const auto& table = command == 0x03 ? d.hw : d.sw;
        auto it = table.find(At(payload, 0));
        if (it == table.end()) return Error(id, command, payload);
        return BootReply(id, command, Bytes({At(payload, 0), it->second.minor & 0xFF, it->second.major & 0xFF}));
      }
      case 0x16:
        if (d.bootVersion < 0) return std::nullopt;
        return BootReply(id, command, Bytes({d.bootVersion & 0xFF, 0, 0, 0, 0}));
      case 0x05:
        if (payload != Key(kBootMode1Key)) return Error(id, command, payload);
        d.mode1 = true;
        return BootReply(id, command);
      case 0x06:
        if (payload != Key(kBootMode2Key) || !d.mode1) return Error(id, command, payload);
        d.normalMode = false;
        return BootReply(id, command);
      case 0x90: {
        if (payload.size() != 1) return std::nullopt;  // a retry request is the device's, not the tool's
        const int percent = d.progress.empty() ? 100 : d.progress[std::min<size_t>(size_t(d.polls), d.progress.size() - 1)];
        ++d.polls;
        return BootReply(id, command, Bytes({percent & 0xFF}), 1);
      }
      default: break;
    }
    if (d.normalMode) return std::nullopt;  // the rest is the bootloader's
    switch (command) {
      case 0x11:
        if (payload.size() != 1) return Error(id, command, payload);
        d.processor = At(payload, 0);
        return BootReply(id, command, payload);
      case 0x12:
        if (payload.size() != 5 || At(payload, 0) != 0) return Error(id, command, payload);
        SelectBank(d, Le32At(payload, 1));
        return BootReply(id, command, Bytes({d.bank & 0xFF}) + Le32Bytes(d.bankStart));
      case 0x10:
      case 0x20: {
        if (!TakeBlock(d, command, payload)) return std::nullopt;
        const uint32_t block = d.blocks.back();
        const int count = static_cast<int>(d.blocks.size());
        if (d.linkLostAfterBlocks > 0 && count >= d.linkLostAfterBlocks) {
          d.linkLost = true;
          return std::nullopt;
        }
        if (tcp) {
          if (command != 0x20) return std::nullopt;
          const bool nak = d.nakOnce.erase(block) > 0 || d.nakAlways;
          return BootReply(id, 0xA0, Le32Bytes(nak ? block + 1 : block));
        }
        for (auto it = d.retries.begin(); it != d.retries.end(); ++it)
          if (it->standing ? count >= it->afterBlocks : count == it->afterBlocks) {
            const QByteArray request = BootReply(id, it->command, Le32Bytes(it->address));
            d.programmed.erase(d.programmed.lower_bound(it->address), d.programmed.end());
            if (!it->standing) d.retries.erase(it);
            return request;
          }
        return std::nullopt;
      }
      case 0x13: {
        if (payload.size() != 5 || At(payload, 0) != 0) return Error(id, command, payload);
        d.closedCount = Le32At(payload, 1);
        ++d.bankCloses;
        const auto sum = static_cast<uint16_t>(DeviceChecksum(d) + d.checksumDelta);
        return BootReply(id, command, Bytes({0, sum & 0xFF, sum >> 8}));
      }
      case 0x14:
        d.normalMode = true;
        d.mode1 = false;
        d.bankSelected = false;
        d.done = true;
        if (d.processor >= 0) d.sw[d.processor] = d.swAfterDone;
        return BootReply(id, command, Bytes({d.bank & 0xFF}));
      default:
        return Error(id, command, payload);
    }
  }

  std::shared_ptr<SimBootloader::State> state_;
};

}  // namespace

SimBootloader::SimBootloader(SimInverter& dev) : state_(std::make_shared<State>()) {
  dev.AddProtocol(std::make_unique<BootProtocol>(state_), true);
  dev.SetModbusGate([state = state_](int id) {
    std::lock_guard lock(state->mu);
    auto it = state->devices.find(id);
    return it == state->devices.end() || it->second.normalMode;
  });
}

SimBootloader::~SimBootloader() = default;

BootDevice SimBootloader::Snapshot(int id) const {
  std::lock_guard lock(state_->mu);
  auto it = state_->devices.find(id);
  return it == state_->devices.end() ? BootDevice{} : it->second;
}

void SimBootloader::Configure(int id, const std::function<void(BootDevice&)>& change) {
  std::lock_guard lock(state_->mu);
  change(state_->devices[id]);
}

}  // namespace sim
