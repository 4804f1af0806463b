// The programming stream's reply handling over arbitrary received bytes.
#include <cstdio>
#include <cstdlib>

#include "RetryServeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static NullViews views;
  static upgradeTool tool;
  static const bool ready = PrepareRetryTool(tool, &views);
  if (!ready) std::abort();
  const char* broken = BrokenRetryRule(tool, data, size);
  if (*broken) {
    std::fprintf(stderr, "broken rule: %s\n", broken);
    std::abort();
  }
  return 0;
}
