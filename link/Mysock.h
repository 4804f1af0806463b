#pragma once
#include <cstdint>
#include <cstring>

// TCP client state of the Wi-Fi link: one socket per slave ID and the buffer
// of the last receive. Slots cover every ID the link can address (0..255).
class QorClient {
 public:
  static constexpr int kRxSize = 1024;
  static constexpr int kSlots = 256;

  QorClient() {
    std::memset(RxBuf, 0, sizeof RxBuf);
    std::memset(Sockets, 0, sizeof Sockets);
  }

  char RxBuf[kRxSize];
  int RxLen = 0;
  int Sockets[kSlots];  // 0 = no connection
};
