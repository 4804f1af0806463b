#include "sim/SimOlderLine.h"

namespace sim {

uint16_t CrcArc(const uint8_t* data, int n) {
  uint16_t crc = 0;
  for (int i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int b = 0; b < 8; ++b) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

QByteArray WithArcCrc(QByteArray frame) {
  const uint16_t c = CrcArc(reinterpret_cast<const uint8_t*>(frame.constData()) + 1, int(frame.size()) - 1);
  frame.append(char(c & 0xFF));
  frame.append(char(c >> 8));
  frame.append(char(0x03));
  return frame;
}

int OlderLineProtocol::FrameLength(const uint8_t* buf, int n) const {
  if (n >= 1 && buf[0] != 0x02) return -1;
  if (n >= 2 && buf[1] != 0x05) return -1;
  if (n >= 4 && buf[3] != 0x02) return -1;
  return n < 4 ? 0 : 9;
}

bool OlderLineProtocol::CheckFrame(const QByteArray& frame) const {
  if (frame.size() != 9) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(frame.constData());
  const uint16_t c = CrcArc(p + 1, 5);
  return p[8] == 0x03 && p[6] == (c & 0xFF) && p[7] == (c >> 8);
}

std::optional<QByteArray> OlderLineProtocol::Answer(SimInverter& dev, const QByteArray& frame) {
  const auto* p = reinterpret_cast<const uint8_t*>(frame.constData());
  const int id = p[2], command = p[4], sub = p[5];
  SimInverter::Slave* s = dev.FindSlave(id);
  if (!s || !dev.Hears(*s)) return std::nullopt;
  std::lock_guard lock(mu_);
  const auto key = std::make_tuple(id, command, sub);
  if (auto r = raw_.find(key); r != raw_.end()) return WithArcCrc(r->second);
  const auto d = data_.find(key);
  if (d == data_.end()) return WithArcCrc(Bytes({0x02, 0x15, id, 0x02, command, sub}));
  QByteArray reply = Bytes({0x02, 0x06, id, int(d->second.size()) + 2, command, sub});
  reply += d->second;
  return WithArcCrc(reply);
}

void OlderLineProtocol::SetData(int id, int command, int subCommand, const QByteArray& data) {
  std::lock_guard lock(mu_);
  data_[{id, command, subCommand}] = data;
}

void OlderLineProtocol::SetRawReply(int id, int command, int subCommand, const QByteArray& bytesWithoutCrc) {
  std::lock_guard lock(mu_);
  raw_[{id, command, subCommand}] = bytesWithoutCrc;
}

OlderLineProtocol& AddOlderLine(SimInverter& dev) {
  auto p = std::make_unique<OlderLineProtocol>();
  OlderLineProtocol& ref = *p;
  dev.AddProtocol(std::move(p), true);
  return ref;
}

}  // namespace sim
