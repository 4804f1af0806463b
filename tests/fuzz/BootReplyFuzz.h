#pragma once
// Rules every bootloader reply search keeps, whatever the bytes, taken from
// the frame format and not from the searches: each search returns the first
// position from which a whole frame lies within the received bytes with the
// header, ID, length byte and command that its acknowledgement has and a
// CRC-16/MODBUS (computed here bit by bit) over the frame's bytes before it;
// -1 when there is none.
#include <cstdint>
#include <vector>

#include "support/FirmwareImage.h"
#include "upgrade/BootFrame.h"

namespace bootfuzz {

// The frame tests of one acknowledgement: the header (both bytes 0xFF, or
// either), the ID (as 16 bits or as byte 2), the length byte, the commands
// it may carry (none: any), and whether the device is one the run takes.
struct Ack {
  bool bothFF;
  bool id16;
  int length;
  std::vector<int> commands;
};

// The frame is reply length + 5 bytes before its CRC: FF FF, ID (2), L, command, L - 1 payload bytes.
inline bool FrameAt(const std::uint8_t* rx, int n, int i, const Ack& a, int id) {
  const int before = a.length + 5;
  if (i < 0 || static_cast<long long>(i) + before + 2 > n) return false;
  const std::uint8_t* p = rx + i;
  if (a.bothFF ? !(p[0] == 0xFF && p[1] == 0xFF) : !(p[0] == 0xFF || p[1] == 0xFF)) return false;
  if (id >= 0 && (a.id16 ? (p[2] | p[3] << 8) != id : p[2] != id)) return false;
  if (p[4] != a.length) return false;
  bool command = a.commands.empty();
  for (int c : a.commands) command = command || p[5] == c;
  if (!command) return false;
  const std::uint16_t crc = fw::RefCrc(p, static_cast<size_t>(before));
  return p[before] == (crc & 0xFF) && p[before + 1] == (crc >> 8);
}

// The first position from `from` with such a frame, -1 for none.
inline int First(const std::uint8_t* rx, int n, int from, const Ack& a, int id, bool (*device)(int) = nullptr) {
  for (int i = from; i < n; ++i)
    if (FrameAt(rx, n, i, a, id) && (!device || device(rx[i + 2]))) return i;
  return -1;
}

inline bool InTable(int who) { return who >= 1 && who <= 253; }

}  // namespace bootfuzz

// Empty when the rules hold for the n bytes at rx (a buffer of exactly n
// bytes), else the first one broken. The first byte chooses the ID the
// searches look for.
inline const char* BrokenReplyRule(const std::uint8_t* rx, int n) {
  using bootfuzz::Ack;
  using bootfuzz::First;
  const int id = n > 0 ? rx[0] : 1;
  // Enter-bootloader acknowledgements: the first frame of the ID with a
  // right CRC, whatever its length and command, decides; OK only for
  // length 1 and the mode's command. The CRC covers 6 bytes (length 1).
  for (int mode : {1, 2}) {
    bool ok = false;
    const int i = boot::FindEnterBootReply(rx, n, id, mode, ok);
    int expected = -1;
    for (int k = 0; k < n && expected < 0; ++k) {
      // Any length and command, but a CRC after the first 6 bytes.
      if (k + 8 > n) break;
      const std::uint8_t* p = rx + k;
      const bool ff = mode == 1 ? p[0] == 0xFF && p[1] == 0xFF : p[0] == 0xFF || p[1] == 0xFF;
      const std::uint16_t crc = fw::RefCrc(p, 6);
      if (ff && (p[2] | p[3] << 8) == id && p[6] == (crc & 0xFF) && p[7] == (crc >> 8)) expected = k;
    }
    if (i != expected) return "enter-boot reply is not the first frame of the ID";
    if (ok != (i >= 0 && rx[i + 4] == 1 && rx[i + 5] == (mode == 1 ? 0x05 : 0x06))) return "enter-boot OK disagrees with the frame";
  }
  if (boot::FindProcessorReply(rx, n, id) != First(rx, n, 0, Ack{true, false, 2, {0x11}}, id)) return "processor reply";
  if (boot::FindBankReply(rx, n, id) != First(rx, n, 0, Ack{true, false, 6, {0x12}}, id)) return "bank reply";
  // The chained searches, from each find on as their callers go.
  for (int from = 0, i;; from = i + 1) {
    i = boot::NextChecksumReply(rx, n, id, from);
    if (i != First(rx, n, from, Ack{false, false, 4, {}}, id)) return "checksum reply";
    if (i < 0) break;
  }
  if (boot::FindDoneReply(rx, n, id) != First(rx, n, 0, Ack{false, false, 2, {0x14}}, id)) return "done reply";
  const auto inTable = [](int who) { return bootfuzz::InTable(who); };
  for (int from = 0, i;; from = i + 1) {
    i = boot::NextRetryRequest(rx, n, from, inTable);
    if (i != First(rx, n, from, Ack{true, false, 5, {0x90, 0xA0}}, -1, bootfuzz::InTable)) return "retry request";
    if (i < 0) break;
  }
  // At the start only: the version reply of processor id % 10 (length 4,
  // command 0x04, then the processor), with its CRC;
  const bool version = bootfuzz::FrameAt(rx, n, 0, Ack{true, false, 4, {0x04}}, -1) && rx[6] == id % 10;
  if (boot::IsSwVersionReply(rx, n, id % 10) != version) return "version reply";
  // a reply header with the whole frame's length received (its CRC untested);
  const bool atStart = n >= 11 && rx[0] == 0xFF && rx[1] == 0xFF && (rx[2] | rx[3] << 8) == id && rx[4] == 6 && rx[5] == 0x12;
  if (boot::IsReplyAtStart(rx, n, id, 6, 0x12) != atStart) return "reply at start";
  // and the whole buffer ending in the CRC of at least one byte before it.
  const bool ends = n >= 3 && [&] {
    const std::uint16_t crc = fw::RefCrc(rx, static_cast<size_t>(n - 2));
    return rx[n - 2] == (crc & 0xFF) && rx[n - 1] == (crc >> 8);
  }();
  if (boot::EndsWithCrc(rx, n) != ends) return "CRC at the end";
  return "";
}
