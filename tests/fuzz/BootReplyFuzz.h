#pragma once
// Rules every bootloader reply search keeps, whatever the bytes: a position it
// returns holds a whole frame within the received bytes, with the header,
// ID, length and command the search asked for and a valid CRC.
#include <cstdint>
#include <vector>

#include "upgrade/BootFrame.h"

// Empty when the rules hold for the n bytes at rx (a buffer of exactly n
// bytes), else the first one broken. The first byte chooses the ID the
// searches look for.
inline const char* BrokenReplyRule(const std::uint8_t* rx, int n) {
  const int id = n > 0 ? rx[0] : 1;
  auto frameOk = [&](int i, int len, bool bothFF) {
    if (i < 0) return true;
    if (i > n - len - 2) return false;
    const bool ff = bothFF ? rx[i] == 0xFF && rx[i + 1] == 0xFF : rx[i] == 0xFF || rx[i + 1] == 0xFF;
    return ff && boot::CrcAt(rx, n, i, len);
  };
  for (int mode : {1, 2}) {
    bool ok = false;
    const int i = boot::FindEnterBootReply(rx, n, id, mode, ok);
    if (!frameOk(i, 6, mode == 1) || (i >= 0 && (rx[i + 2] | rx[i + 3] << 8) != id)) return "enter-boot reply";
    if (i < 0 && ok) return "enter-boot ok without a frame";
  }
  int i = boot::FindProcessorReply(rx, n, id);
  if (!frameOk(i, 7, true) || (i >= 0 && (rx[i + 2] != id || rx[i + 4] != 2 || rx[i + 5] != 0x11))) return "processor reply";
  i = boot::FindBankReply(rx, n, id);
  if (!frameOk(i, 11, true) || (i >= 0 && (rx[i + 2] != id || rx[i + 4] != 6 || rx[i + 5] != 0x12))) return "bank reply";
  for (int from = 0; (i = boot::NextChecksumReply(rx, n, id, from)) >= 0; from = i + 1)
    if (!frameOk(i, 9, false) || rx[i + 2] != id || rx[i + 4] != 4) return "checksum reply";
  i = boot::FindDoneReply(rx, n, id);
  if (!frameOk(i, 7, false) || (i >= 0 && (rx[i + 2] != id || rx[i + 4] != 2 || rx[i + 5] != 0x14))) return "done reply";
  // Retry requests from IDs the tables hold only.
  auto inTable = [](int who) { return who >= 1 && who <= 253; };
  for (int from = 0; (i = boot::NextRetryRequest(rx, n, from, inTable)) >= 0; from = i + 1)
    if (!frameOk(i, 10, true) || !inTable(rx[i + 2]) || rx[i + 4] != 5 || (rx[i + 5] != 0x90 && rx[i + 5] != 0xA0))
      return "retry request";
  if (boot::IsSwVersionReply(rx, n, id % 10) && !boot::CrcAt(rx, n, 0, 9)) return "version reply without its CRC";
  if (boot::IsReplyAtStart(rx, n, id, 6, 0x12) && n < 11) return "reply at start cut short";
  if (boot::EndsWithCrc(rx, n) && n < 3) return "CRC of nothing";
  return "";
}
