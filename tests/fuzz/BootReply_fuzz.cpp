// Bootloader reply searches over arbitrary received bytes.
#include <vector>

#include "FuzzRule.h"
#include "BootReplyFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size > 8192) return 0;  // the receive buffer's size
  // A buffer of exactly the received bytes, so any read past them is caught.
  std::vector<std::uint8_t> rx(data, data + size);
  RequireRules(BrokenReplyRule(rx.data(), static_cast<int>(rx.size())));
  return 0;
}
