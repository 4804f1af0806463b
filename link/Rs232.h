#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <utility>

// One serial port (termios): the RS-485 adapter or the radio dongle. Request
// frames are built in place in TxBuf; reads land in RxBuf.
//
// Copies share the open descriptor (the firmware upgrade works on a copy of
// the link's port): a speed change through one is seen by all, and once any
// copy closes the port no copy can use the descriptor again.
class Tcomm {
 public:
  static constexpr int kRxSize = 8192;
  static constexpr int kTxSize = 512;
  // A receive queue this long is refused: it could not be held with its end mark.
  static constexpr int kRxLimit = kRxSize - 1;

  Tcomm();

  // Opens the device exclusively, raw 8N1 at 4,800 bit/s, queues purged,
  // DTR and RTS cleared. A name without a '/' is taken below /dev.
  // Shows "COM Can't Open" with the device and the system's reason when the
  // device does not open.
  int Open(const QString& name);
  // Speed 4,800 << index (index 0..3), kept in Baud.
  int SetBaud(int index);
  // Discards unread input and closes. Closing a closed port does nothing.
  int Close();
  int Write(int n);  // the first n bytes of TxBuf
  int WriteBytes(const uint8_t* bytes, int n);
  int WriteText();  // CmdText as Latin-1, at most 99 characters
  // Replaces RxBuf with everything queued now (never blocks).
  int Read();
  // Appends what is queued now after the RxCount bytes already in RxBuf, so
  // one exchange can collect a reply that arrives in pieces; RxCount grows
  // to upTo at most, the rest stays queued. A queue of kRxLimit bytes or more
  // is refused as by Read.
  int ReadMore(int upTo = kRxLimit - 1);
  int InQueue() const;  // bytes waiting, without reading them; 0 when closed
  // Drops whatever is waiting to be read.
  void DiscardInput();
  // Waits up to ms for input to arrive (no event processing). True if some is waiting.
  bool WaitInput(int ms) const;
  // Waits up to ms for input to arrive while the application goes on handling
  // its events; returns as soon as input (or a hang-up) is signalled. Without
  // an application object it is WaitInput.
  void AwaitInput(int ms) const;
  bool IsOpen() const;
  // Why the port last failed, as "<device>: <the system's reason>"; empty
  // when nothing failed since it was opened or since the reason was taken.
  QString LastError() const { return error_; }
  QString TakeError() { return std::exchange(error_, QString()); }

  // Takes over an already open descriptor without touching its settings
  // (for tests that need a receive queue a terminal cannot hold).
  void AttachDescriptor(int fd);

  uint8_t RxBuf[kRxSize];
  uint8_t TxBuf[kTxSize];
  QString CmdText;
  int RxCount = 0;
  int Baud = 0;

 private:
  struct Handle;
  int Fd() const;
  int Fail(const QString& reason);
  int Failed(int err);  // errno's text as the reason; returns 1
  int QueueOverflow(int queued);
  std::shared_ptr<Handle> handle_;
  QString error_;
};

// The speed of a baud index (4,800 << index), 0 for an index outside 0..3.
int BaudOfIndex(int index);

// The ports offered for the serial and radio links: every path named in
// QORVANE_EXTRA_PORTS (colon-separated) first, then the machine's serial
// devices (/dev/ttyS* that have hardware, /dev/ttyUSB*, /dev/ttyACM*,
// /dev/serial/by-id/*).
QStringList SerialPortNames();
