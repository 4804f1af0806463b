// The serial link's reply checks over arbitrary bytes received for a
// request the input chooses: the length the exchange gathers up to, judged
// from the first bytes, and the CRC and shape checks.
#include <algorithm>
#include <vector>

#include "FuzzRule.h"
#include "LinkFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  // Three bytes choose the request; the rest is what came in, as much as the
  // exchange gathers at most.
  if (size < 3 || size - 3 > size_t(Tcomm::kRxLimit - 1)) return 0;
  static Modbus link;
  fuzz::BuildRequest(link, data);
  const std::vector<std::uint8_t> rx(data + 3, data + size);
  // Judged from a buffer of exactly the bytes in so far, so that a look past
  // them is caught.
  for (size_t k = 0; k <= std::min<size_t>(rx.size(), 8); ++k) {
    const std::vector<std::uint8_t> head(rx.begin(), rx.begin() + std::ptrdiff_t(k));
    if (link.ExpectedReplyLength(head.data(), int(k)) < 1) RequireRules("no length to gather to");
  }
  std::copy(rx.begin(), rx.end(), link.Reply);
  link.RxLength = int(rx.size());
  link.ReplyValid = link.ValidateReply() ? 1 : 0;
  RequireRules(fuzz::BrokenReplyCheck(link));
  return 0;
}
