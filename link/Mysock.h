#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

// Tells how long a reply is, judged from the bytes received so far: the full
// length once it can be known, 0 while more bytes are needed to know it.
using ReplyLengthFn = std::function<int(const uint8_t* rx, int n)>;

// TCP client state of the link to the inverter's Wi-Fi module: one socket per
// slave ID and the receive buffer of the last exchange. Plain BSD sockets,
// non-blocking; sends never raise SIGPIPE.
class QorClient {
 public:
  static constexpr int kSlots = 256;   // one per slave ID 0..255 (the Wi-Fi link talks to 255)
  static constexpr int kRxSize = 1024;
  static constexpr int kNoSocket = -1;  // descriptor 0 is a valid socket when stdin is closed

  QorClient();
  // Closes nothing: closing is the link's business.
  ~QorClient() = default;
  QorClient(const QorClient&) = delete;
  QorClient& operator=(const QorClient&) = delete;

  uint8_t RxBuf[kRxSize] = {};  // bytes of the last receive, then a 0 byte
  int RxLen = 0;                // byte count of the last receive
  std::array<int, kSlots> Sockets;

  // Nothing to start on this platform; kept so opening and closing read alike.
  int Startup() { return 0; }
  int Cleanup() { return 0; }

  // Resolves host and service and starts a non-blocking connect for the ID's
  // slot. 0 = attempt started; -1 = no socket (slot left empty).
  int Connect(int id, const QString& host, const QString& service);
  // Sends all n bytes (loops over partial sends). 0 = sent; 1 = failed (the
  // socket is closed and its slot cleared).
  int Send(int id, const uint8_t* data, int n);
  // Receives one reply: waits up to timeoutMs for the socket, then gathers
  // bytes until replyLength says the reply is whole, the buffer is full, the
  // peer closed, or the time runs out. Without replyLength one chunk is taken.
  // 0 = the wait ended with bytes or with the peer closing (RxLen may be 0);
  // 1 = nothing came in time or the receive failed (socket closed, slot cleared).
  int Receive(int id, int timeoutMs, const ReplyLengthFn& replyLength = {});
  // 0 = readable, 1 = time-out, -1 = the wait failed.
  static int WaitReadable(int sock, int timeoutMs);
  // Takes what is queued on the ID's socket now, without waiting: bytes that
  // came after the last receive ended (a late or repeated reply). Empty when
  // nothing waits or the ID has no socket.
  QByteArray TakeQueued(int id);

  // Why the last Connect, Send or Receive failed, as "<host>:<port>: <the
  // system's reason>"; empty when it did not.
  QString LastError() const { return error_; }
  // The system's error number behind LastError; 0 for a time-out or when
  // nothing failed.
  int LastErrno() const { return errno_; }

  bool HasSocket(int id) const { return id >= 0 && id < kSlots && Sockets[id] != kNoSocket; }
  // Closes the ID's socket, if any, and clears its slot.
  void CloseSlot(int id);
  // Closes every open socket and clears every slot (link opening and closing).
  void CloseAll();

 private:
  void SetError(int id, const QString& reason, int err = 0);
  std::array<QString, kSlots> peers_;    // "host:port" each slot was connected to
  std::array<int, kSlots> connectErr_{};  // an error the connect reported at once
  QString error_;
  int errno_ = 0;
};

// Where the Wi-Fi module listens: its fixed address on its own network, port
// 5001, unless QORVANE_WIFI_ADDR ("host:port") names another.
struct WifiAddress {
  QString host;
  QString service;
};
WifiAddress WifiModuleAddress();
