#include "sim/SimBootDevice.h"

#include <algorithm>

namespace sim {

namespace {

uint16_t CrcFrom(uint16_t reg, const QByteArray& data) {
  for (char c : data) {
    reg ^= static_cast<uint8_t>(c);
    for (int k = 0; k < 8; ++k) reg = (reg & 1) ? static_cast<uint16_t>((reg >> 1) ^ 0xA001) : static_cast<uint16_t>(reg >> 1);
  }
  return reg;
}

}  // namespace

uint32_t Le32At(const QByteArray& b, int i) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(b[i + k]);
  return v;
}

uint16_t DeviceChecksum(const BootDevice& d) {
  uint16_t crc = 0xFFFF;
  for (const auto& [address, data] : d.programmed)
    crc = d.sum == BootDevice::Sum::Plain ? CrcFrom(crc, data)
                                          : CrcFrom(static_cast<uint16_t>((crc >> 8) | (crc << 8)), data);
  return crc;
}

QByteArray MemoryBytes(const BootDevice& d, uint64_t from, int count, uint8_t erased) {
  QByteArray out(count, static_cast<char>(erased));
  for (auto it = d.memory.lower_bound(from); it != d.memory.end() && it->first < from + uint64_t(count); ++it)
    out[static_cast<qsizetype>(it->first - from)] = static_cast<char>(it->second);
  return out;
}

void SelectBank(BootDevice& d, uint32_t start) {
  d.bankStart = start;
  d.bankSelected = true;
  d.programmed.clear();  // the bank is erased
  d.memory.clear();
  d.blocks.clear();
}

bool TakeBlock(BootDevice& d, int command, const QByteArray& payload) {
  const int head = command == 0x10 ? 4 : 8;
  if (!d.bankSelected || payload.size() <= head) return false;
  const uint32_t block = Le32At(payload, 0);
  d.programmed[block] = payload.mid(head);
  d.blocks.push_back(block);
  const uint64_t at = uint64_t(block) * uint64_t(std::max(d.bytesPerAddress, 1));
  for (qsizetype i = head; i < payload.size(); ++i) d.memory[at + uint64_t(i - head)] = static_cast<uint8_t>(payload[i]);
  return true;
}

}  // namespace sim
