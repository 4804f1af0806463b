#pragma once
#include <map>
#include <mutex>
#include <tuple>

#include "sim/SimInverter.h"

namespace sim {

// CRC-16/ARC (reflected 0xA001, start 0) of n bytes: the older line's check.
uint16_t CrcArc(const uint8_t* data, int n);

// The older product line's framed request: STX, 0x05, ID, 0x02, command,
// sub-command, CRC-16/ARC of bytes 1-5 (low byte first), ETX. A slave that
// knows the pair answers STX, 0x06, ID, N, command, sub-command, N - 2 data
// bytes, the CRC of bytes 1 up to the last data byte and ETX; an unknown pair
// is refused with 0x15 in place of 0x06 and no data.
class OlderLineProtocol : public SimProtocol {
 public:
  QString Name() const override { return QStringLiteral("older"); }
  int FrameLength(const uint8_t* buf, int n) const override;
  bool CheckFrame(const QByteArray& frame) const override;
  std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& frame) override;

  // The data bytes slave id answers to (command, sub-command).
  void SetData(int id, int command, int subCommand, const QByteArray& data);
  // A whole reply sent instead, whatever it holds (CRC and ETX added).
  void SetRawReply(int id, int command, int subCommand, const QByteArray& bytesWithoutCrc);

 private:
  std::mutex mu_;
  std::map<std::tuple<int, int, int>, QByteArray> data_;
  std::map<std::tuple<int, int, int>, QByteArray> raw_;
};

// Adds the older line's framing to a simulated inverter; the returned
// protocol belongs to the device and lives as long as it does.
OlderLineProtocol& AddOlderLine(SimInverter& dev);

// A framed reply as the tool checks it: CRC of bytes 1 to the end, ETX.
QByteArray WithArcCrc(QByteArray frame);

}  // namespace sim
