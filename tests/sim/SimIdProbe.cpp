#include "sim/SimIdProbe.h"

namespace sim {

int IdProbeProtocol::FrameLength(const uint8_t* buf, int n) const {
  static const uint8_t kShape[] = {0, 0x00, 0xFF, 0xFF, 0x01, 0x00};  // byte 0 is the ID
  for (int i = 1; i < 6 && i < n; ++i)
    if (buf[i] != kShape[i]) return -1;
  return n < 6 ? 0 : 8;
}

bool IdProbeProtocol::CheckFrame(const QByteArray& frame) const {
  if (frame.size() != 8) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(frame.constData());
  const uint16_t c = Crc16(p, 6);
  return p[6] == (c & 0xFF) && p[7] == (c >> 8);
}

std::optional<QByteArray> IdProbeProtocol::Answer(SimInverter& dev, const QByteArray& frame) {
  const int id = static_cast<uint8_t>(frame[0]);
  SimInverter::Slave* s = dev.FindSlave(id);
  if (!s || id == 0 || !dev.Hears(*s)) return std::nullopt;
  const uint32_t pid = s->productId;
  return WithCrc(Bytes({0xFF, 0xFF, id, 0x00, 0x05, 0x00, int(pid & 0xFF), int((pid >> 8) & 0xFF),
                        int((pid >> 16) & 0xFF), int(pid >> 24)}));
}

void AddIdProbe(SimInverter& dev) { dev.AddProtocol(std::make_unique<IdProbeProtocol>()); }

}  // namespace sim
