// The programming stream's reply handling over arbitrary received bytes.
#include "FuzzRule.h"
#include "RetryServeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static NullViews views;
  static upgradeTool tool;
  static const bool ready = PrepareRetryTool(tool, &views);
  RequireRules(ready ? BrokenRetryRule(tool, data, size) : "the test image does not load");
  return 0;
}
