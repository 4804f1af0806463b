#pragma once
#include "sim/SimInverter.h"

namespace sim {

// The ID probe in the bootloader's framing: ID low, ID high (0), FF FF,
// length 1, command 0, CRC. A slave on the bus that hears it answers
// FF FF, ID low, ID high, 5, 0 and its product ID (four bytes, least
// significant first), then the CRC.
class IdProbeProtocol : public SimProtocol {
 public:
  QString Name() const override { return QStringLiteral("probe"); }
  int FrameLength(const uint8_t* buf, int n) const override;
  bool CheckFrame(const QByteArray& frame) const override;
  std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& frame) override;
};

// Adds the probe to a simulated inverter's framings.
void AddIdProbe(SimInverter& dev);

}  // namespace sim
