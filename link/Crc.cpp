// CRC routines of the link: CRC-16/MODBUS (table-driven, also resumable for
// the firmware image loaders) and CRC-16/ARC for the older product line.
#include <array>
#include <cstdint>

#include "link/Modbus.h"

namespace {

// Reflected polynomial 0xA001, one step per byte: equivalent to the classic
// pair of high/low byte tables of the Modbus standard.
constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> t{};
  for (int i = 0; i < 256; ++i) {
    uint16_t r = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) r = (r & 1) ? static_cast<uint16_t>((r >> 1) ^ 0xA001) : static_cast<uint16_t>(r >> 1);
    t[i] = r;
  }
  return t;
}
constexpr std::array<uint16_t, 256> kTable = MakeTable();

uint16_t Run(uint16_t reg, const uint8_t* data, int length) {
  if (!data) return reg;
  for (int i = 0; i < length; ++i) reg = static_cast<uint16_t>((reg >> 8) ^ kTable[(reg ^ data[i]) & 0xFF]);
  return reg;
}

}  // namespace

uint16_t Modbus::Crc16(const uint8_t* data, int length) { return Run(0xFFFF, data, length); }

uint16_t Modbus::Crc16StxEtx(const uint8_t* first, const uint8_t* last) {
  if (!first) return 0;
  // One byte at least, even when the range is empty or reversed.
  const int n = (last && last > first) ? static_cast<int>(last - first) + 1 : 1;
  uint16_t reg = 0;
  for (int i = 0; i < n; ++i) {
    reg ^= first[i];
    for (int k = 0; k < 8; ++k) reg = (reg & 1) ? static_cast<uint16_t>((reg >> 1) ^ 0xA001) : static_cast<uint16_t>(reg >> 1);
  }
  return reg;
}

uint16_t Modbus::Crc16Continue(const uint8_t* data, int length, uint8_t startLow, uint8_t startHigh) {
  return Run(static_cast<uint16_t>(startLow | (startHigh << 8)), data, length);
}

uint16_t Modbus::Crc16ContinueWord(const uint8_t* data, uint16_t count, uint16_t start) {
  // The seed goes in with its bytes exchanged; the BIN loader depends on it.
  const uint16_t reg = static_cast<uint16_t>((start >> 8) | ((start & 0xFF) << 8));
  return Run(reg, data, count);
}

bool Modbus::CheckBufferCrc(const uint8_t* bytes, int n) {
  if (!bytes || n < 4) return false;
  const uint16_t crc = Crc16(bytes, n - 2);
  return bytes[n - 2] == (crc & 0xFF) && bytes[n - 1] == (crc >> 8);
}
