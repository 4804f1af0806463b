#include "upgrade/BootFrame.h"

#include <cstring>

#include "link/Modbus.h"

namespace boot {

int BuildRequest(std::uint8_t* buf, int cap, std::uint16_t address, std::uint8_t lengthByte, std::uint8_t command,
                 const std::uint8_t* payload, int payloadBytes) {
  const int size = 6 + payloadBytes + 2;
  if (!buf || payloadBytes < 0 || size > cap || (payloadBytes > 0 && !payload)) return 0;
  buf[0] = static_cast<std::uint8_t>(address & 0xFF);
  buf[1] = static_cast<std::uint8_t>(address >> 8);
  buf[2] = 0xFF;
  buf[3] = 0xFF;
  buf[4] = lengthByte;
  buf[5] = command;
  if (payloadBytes > 0) std::memcpy(buf + 6, payload, static_cast<size_t>(payloadBytes));
  const std::uint16_t crc = Modbus::Crc16(buf, 6 + payloadBytes);
  buf[6 + payloadBytes] = static_cast<std::uint8_t>(crc & 0xFF);
  buf[7 + payloadBytes] = static_cast<std::uint8_t>(crc >> 8);
  return size;
}

int BuildBlockRequest(std::uint8_t* buf, int cap, std::uint16_t to, std::uint8_t command, std::uint32_t address,
                      std::uint32_t next, const std::uint8_t* data, int n) {
  if (n < 0 || n > 256 || (n > 0 && !data)) return 0;
  std::uint8_t payload[8 + 256];
  PutLe32(payload, address);
  int head = 4;
  if (command == kProgram20) {
    PutLe32(payload + 4, next);
    head = 8;
  }
  if (n > 0) std::memcpy(payload + head, data, static_cast<size_t>(n));
  return BuildRequest(buf, cap, to, static_cast<std::uint8_t>(n + head + 1), command, payload, head + n);
}

bool CrcAt(const std::uint8_t* rx, int n, int i, int len) {
  if (!rx || i < 0 || len < 0 || i > n - len - 2) return false;
  const std::uint16_t crc = Modbus::Crc16(rx + i, len);
  return rx[i + len] == (crc & 0xFF) && rx[i + len + 1] == (crc >> 8);
}

bool EndsWithCrc(const std::uint8_t* rx, int n) { return n >= 3 && CrcAt(rx, n, 0, n - 2); }

namespace {

// A frame of `len` bytes before its CRC starts at i (all within n).
bool Fits(int n, int i, int len) { return i <= n - len - 2; }
bool BothFF(const std::uint8_t* p) { return p[0] == 0xFF && p[1] == 0xFF; }
bool EitherFF(const std::uint8_t* p) { return p[0] == 0xFF || p[1] == 0xFF; }

}  // namespace

int FindEnterBootReply(const std::uint8_t* rx, int n, int id, int mode, bool& ok) {
  ok = false;
  for (int i = 0; rx && Fits(n, i, 6); ++i) {
    const std::uint8_t* p = rx + i;
    if (!(mode == 1 ? BothFF(p) : EitherFF(p))) continue;
    if ((p[2] | p[3] << 8) != id) continue;
    if (!CrcAt(rx, n, i, 6)) continue;
    ok = p[4] == 1 && p[5] == (mode == 1 ? kEnterMode1 : kEnterMode2);
    return i;
  }
  return -1;
}

namespace {

int FindAck(const std::uint8_t* rx, int n, int id, int len, int length, int command) {
  for (int i = 0; rx && Fits(n, i, len); ++i) {
    const std::uint8_t* p = rx + i;
    if (BothFF(p) && p[2] == id && p[4] == length && p[5] == command && CrcAt(rx, n, i, len)) return i;
  }
  return -1;
}

}  // namespace

int FindProcessorReply(const std::uint8_t* rx, int n, int id) { return FindAck(rx, n, id, 7, 2, kSelectProcessor); }
int FindBankReply(const std::uint8_t* rx, int n, int id) { return FindAck(rx, n, id, 11, 6, kSelectBank); }

int NextChecksumReply(const std::uint8_t* rx, int n, int id, int from) {
  for (int i = from < 0 ? 0 : from; rx && Fits(n, i, 9); ++i) {
    const std::uint8_t* p = rx + i;
    if (EitherFF(p) && p[4] == 4 && p[2] == id && CrcAt(rx, n, i, 9)) return i;
  }
  return -1;
}

int FindDoneReply(const std::uint8_t* rx, int n, int id) {
  for (int i = 0; rx && Fits(n, i, 7); ++i) {
    const std::uint8_t* p = rx + i;
    if (EitherFF(p) && p[2] == id && p[4] == 2 && p[5] == kDone && CrcAt(rx, n, i, 7)) return i;
  }
  return -1;
}

int NextRetryRequest(const std::uint8_t* rx, int n, int from, const std::function<bool(int id)>& accept) {
  for (int i = from < 0 ? 0 : from; rx && Fits(n, i, 10); ++i) {
    const std::uint8_t* p = rx + i;
    if (!BothFF(p) || p[4] != 5 || (p[5] != kRetry90 && p[5] != kRetryA0)) continue;
    if (accept && !accept(p[2])) continue;
    if (CrcAt(rx, n, i, 10)) return i;
  }
  return -1;
}

bool IsSwVersionReply(const std::uint8_t* rx, int n, int processor) {
  return rx && Fits(n, 0, 9) && BothFF(rx) && rx[4] == 4 && rx[5] == kReadSwVersion && rx[6] == processor &&
         CrcAt(rx, n, 0, 9);
}

bool IsReplyAtStart(const std::uint8_t* rx, int n, int id, int length, int command) {
  // Header, length, command and length - 1 payload bytes.
  return rx && length >= 1 && n >= 5 + length && BothFF(rx) && (rx[2] | rx[3] << 8) == id && rx[4] == length &&
         rx[5] == command;
}

}  // namespace boot
