// The radio link's reply parser over arbitrary text from the dongle, for a
// read or write request the input chooses.
#include <cstring>

#include "FuzzRule.h"
#include "LinkFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  // Three bytes choose the request (the radio carries no older-line frame);
  // the rest is what the dongle wrote, at most the port's buffer.
  if (size < 3 || size - 3 > size_t(Tcomm::kRxSize)) return 0;
  static Modbus link;
  const std::uint8_t request[3] = {std::uint8_t(data[0] % 7), data[1], data[2]};
  fuzz::BuildRequest(link, request);
  link.ClearReply();  // as the radio exchange does before it reads
  std::memcpy(link.Port.RxBuf, data + 3, size - 3);
  link.Port.RxCount = int(size - 3);
  link.ParseRadioReply();
  RequireRules(fuzz::BrokenReplyCheck(link));
  // A payload that fails a check is no reply at all.
  if (link.ReplyValid != 1 && link.RxLength != 0) RequireRules("an invalid payload left a reply");
  return 0;
}
