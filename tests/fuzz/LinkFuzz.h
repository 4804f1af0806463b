#pragma once
// Rules every link's reply check keeps, whatever came back: a reply marked
// valid is at least four bytes long (an older-line one seven: STX, status,
// address, count, CRC, ETX) and its CRC is right (computed here bit by bit,
// apart from the link's tables); a valid answer to a read with the function
// that was asked carries the byte count and length the request asked for,
// and the serial exchange, which stops gathering at the length it expects,
// would have taken it whole. Shared by the serial, TCP and radio reply
// harnesses.
#include <cstdint>
#include <cstring>

#include "link/FunctionCodes.h"
#include "link/Modbus.h"

namespace fuzz {

// Reflected CRC-16 over the polynomial 0xA001: from 0xFFFF it is the Modbus
// CRC, from 0 the older product line's.
inline uint16_t BitwiseCrc(const uint8_t* p, int n, uint16_t reg) {
  for (int i = 0; i < n; ++i) {
    reg ^= p[i];
    for (int k = 0; k < 8; ++k) reg = (reg & 1) ? uint16_t((reg >> 1) ^ 0xA001) : uint16_t(reg >> 1);
  }
  return reg;
}

inline bool CrcAtEnd(const uint8_t* p, int n, int from, int to, uint16_t start) {
  const uint16_t crc = BitwiseCrc(p + from, to - from, start);
  return p[to] == (crc & 0xFF) && p[to + 1] == (crc >> 8);
}

// Builds the request that the first three input bytes choose, as the link
// would send it: the framing and function from the first (slave 1), the
// count or value from the next two.
inline void BuildRequest(Modbus& link, const uint8_t* three) {
  link.LinkMode = LinkNone;  // built, not sent
  link.SlaveId = 1;
  if ((three[0] & 7) == 7) {
    link.BeginRequest();
    const uint8_t f[9] = {0x02, 0x05, 1, 0x02, three[1], three[2], 0, 0, 0x03};
    std::memcpy(link.Port.TxBuf, f, sizeof f);
    const uint16_t crc = BitwiseCrc(f + 1, 5, 0);
    link.Port.TxBuf[6] = uint8_t(crc & 0xFF);
    link.Port.TxBuf[7] = uint8_t(crc >> 8);
    link.TxLength = 9;
    link.TxFraming = Modbus::Framing::StxEtx;
    return;
  }
  static constexpr uint8_t kFunctions[] = {kReadCoils, kReadHolding, kReadInput, kWriteCoil, kWriteRegister, 0x10, kReadHolding};
  const uint8_t function = kFunctions[three[0] % 7];
  link.Request(1024, int16_t(three[1] << 8 | three[2]), function);
  if (function == 0x10) {  // the frame of WriteRegister32, which would send it at once
    link.Port.TxBuf[4] = 0;
    link.Port.TxBuf[5] = 2;
    link.TxLength = 13;
  }
}

// Empty when the reply state in link keeps the rules, else the first one
// broken.
inline const char* BrokenReplyCheck(const Modbus& link) {
  if (link.ReplyValid != 1) return "";
  const int n = link.RxLength;
  const uint8_t* r = link.Reply;
  if (n < 4 || n > Modbus::kReplySize) return "valid reply of an impossible length";
  if (link.TxFraming == Modbus::Framing::StxEtx) {
    // STX, status, address, count, CRC and ETX: 7 bytes at least.
    if (n < 7) return "valid older-line reply shorter than the smallest frame";
    if (r[0] != 0x02 || r[n - 1] != 0x03 || !CrcAtEnd(r, n, 1, n - 3, 0)) return "valid older-line reply with a wrong CRC";
    return "";
  }
  if (!CrcAtEnd(r, n, 0, n - 2, 0xFFFF)) return "valid reply with a wrong CRC";
  const int function = link.Port.TxBuf[1];
  const int count = link.Port.TxBuf[4] << 8 | link.Port.TxBuf[5];
  int data = -1;
  if (function == kReadHolding || function == kReadInput) data = 2 * count;
  if (function == kReadCoils) data = (count + 7) / 8;
  if (data < 0 || r[1] != function) return "";
  if (r[2] != data || n != data + 5) return "valid read reply of another length than asked";
  for (int k = 0; k < n; ++k)
    if (link.ExpectedReplyLength(r, k) < n) return "the exchange would cut a valid reply short";
  return "";
}

}  // namespace fuzz
