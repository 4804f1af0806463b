// Bootloader reply searches over arbitrary received bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BootReplyFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size > 8192) return 0;  // the receive buffer's size
  // A buffer of exactly the received bytes, so any read past them is caught.
  std::vector<std::uint8_t> rx(data, data + size);
  const char* broken = BrokenReplyRule(rx.data(), static_cast<int>(rx.size()));
  if (*broken) {
    std::fprintf(stderr, "broken rule: %s\n", broken);
    std::abort();
  }
  return 0;
}
