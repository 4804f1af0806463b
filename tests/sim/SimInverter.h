#pragma once
// A simulated inverter for the end-to-end tests: a Modbus slave (one or more
// IDs on one bus) serving one end of a pseudo-terminal pair, so the tool opens
// the other end as a real serial device.
//
// The device side is split in three so later protocols slot in without a
// rewrite: the register maps of each slave ID (SimInverter), the framings the
// device understands (SimProtocol: Modbus RTU here; the bootloader's ID probe,
// the older line's framed requests and the bootloader come as further
// protocols), and the lines it listens on (a pty here; loopback TCP and the
// radio dongle's text front end come as further endpoints feeding the same
// protocols).
#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "sim/SimLineTime.h"

namespace sim {

// Modbus RTU helpers shared by the protocols and the tests.
uint16_t Crc16(const uint8_t* data, int n);
QByteArray WithCrc(QByteArray frame);  // appends the CRC, low byte first
QByteArray Bytes(std::initializer_list<int> bytes);
QByteArray Hex(const QString& text);  // "01 03 00 00" -> bytes
QString HexText(const QByteArray& bytes);  // bytes -> "01 03 00 00"
// Byte i of a frame, unsigned.
inline uint8_t At(const QByteArray& b, int i) { return static_cast<uint8_t>(b[i]); }

// What the device does with a reply instead of sending it whole at once.
struct ReplyFault {
  enum class Kind { None, Silent, BadCrc, Garbage, Split, Delay, Short, Exception, Stall, Repeat, HangUp };
  Kind kind = Kind::None;
  int ms = 0;               // Delay, Stall: before the reply; Split: gap between pieces; Repeat: before the copy
  std::vector<int> pieces;  // Split: sizes of the leading pieces; the rest goes last
  QByteArray bytes;         // Garbage: sent instead of the reply
  uint8_t code = 2;         // Exception: the exception code

  static ReplyFault Silent() { return {Kind::Silent}; }
  static ReplyFault BadCrc() { return {Kind::BadCrc}; }
  static ReplyFault Garbage(QByteArray b) { ReplyFault f{Kind::Garbage}; f.bytes = std::move(b); return f; }
  static ReplyFault Split(std::vector<int> sizes, int gapMs) {
    ReplyFault f{Kind::Split, gapMs};
    f.pieces = std::move(sizes);
    return f;
  }
  static ReplyFault Delay(int ms) { return {Kind::Delay, ms}; }
  // The device's thread is held up ms of real time before it answers, as on
  // a busy machine; the line's time stands still meanwhile.
  static ReplyFault Stall(int ms) { return {Kind::Stall, ms}; }
  // A register read answered one data word short (consistent count and CRC).
  static ReplyFault Short() { return {Kind::Short}; }
  static ReplyFault Exception(uint8_t c) { ReplyFault f{Kind::Exception}; f.code = c; return f; }
  // The reply goes out twice, as from a module that repeats a frame: the
  // copy follows gapMs later, or with 0 in the same write. Either way it is
  // a late reply waiting for whatever the tool asks next.
  static ReplyFault Repeat(int gapMs) { return {Kind::Repeat, gapMs}; }
  // No answer: the line goes away for good, as when the adapter is pulled
  // out (the pty's device side is closed, so the tool's port fails; a TCP
  // connection is closed).
  static ReplyFault HangUp() { return {Kind::HangUp}; }
};

// One request as the device received it.
struct SimFrame {
  QByteArray bytes;
  bool crcOk = false;
  QString protocol;  // which framing took it ("rtu", or "noise" for bytes no framing took)
  QString line;      // where it came in: "pty" or "tcp"
  std::chrono::steady_clock::time_point at;
};

class SimInverter;

// One framing the device understands on its line.
class SimProtocol {
 public:
  virtual ~SimProtocol() = default;
  virtual QString Name() const = 0;
  // At the start of buf (n bytes): the length of a whole frame of this
  // framing, 0 when more bytes are needed to tell, -1 when it is not one.
  virtual int FrameLength(const uint8_t* buf, int n) const = 0;
  virtual bool CheckFrame(const QByteArray& frame) const = 0;
  // The answer to a checked frame; nullopt = stay silent. Called with the
  // device state locked.
  virtual std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& frame) = 0;
};

// Modbus RTU slave: functions 1, 3, 4, 5, 6 and 16.
class RtuProtocol : public SimProtocol {
 public:
  QString Name() const override { return QStringLiteral("rtu"); }
  int FrameLength(const uint8_t* buf, int n) const override;
  bool CheckFrame(const QByteArray& frame) const override;
  std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& frame) override;
};

class SimInverter {
 public:
  // Register numbers are the tool's: 1-based, the wire carrying number - 1.
  struct Slave {
    std::map<int, bool> coils;
    std::map<int, uint16_t> holding;
    std::map<int, uint16_t> input;
    bool strict = false;  // unknown registers answer exception 2 instead of 0
    int baud = 0;             // pty line: answers only at this speed (0 = at any)
    uint32_t productId = 0;   // what the ID probe reports
    // Input windows that show one of several pages, chosen by the value last
    // written to a holding register (the page selector):
    // selector -> page -> input register -> value.
    std::map<int, std::map<int, std::map<int, uint16_t>>> pages;
    // Holding registers whose writes the device also shows under another
    // number: written register -> the register that reads it back.
    std::map<int, int> mirrors;
    // Holding registers that turn every write away (exception 3, kept as they are).
    std::set<int> refused;
  };

  SimInverter();  // a pty line speaking Modbus RTU
  ~SimInverter();
  SimInverter(const SimInverter&) = delete;
  SimInverter& operator=(const SimInverter&) = delete;

  // The device path the tool opens (/dev/pts/N).
  QString PortPath() const;

  // --- register maps (thread-safe) ---
  void AddSlave(int id);  // answers, with every register 0
  void RemoveSlave(int id);
  void SetStrict(int id, bool strict);
  void SetHolding(int id, int reg, uint16_t value);
  void SetHoldingBlock(int id, int reg, const std::vector<uint16_t>& values);
  void SetInput(int id, int reg, uint16_t value);
  // Input registers from reg on that read as values while the selector
  // holds page; other pages, and registers outside any page, read as usual.
  void SetPagedInput(int id, int selector, int page, int reg, const std::vector<uint16_t>& values);
  void SetCoil(int id, int coil, bool on);
  // A write to holding register `written` also lands in `readBack`.
  void SetMirror(int id, int written, int readBack);
  // Writes to the holding register are refused: exception 3, value kept.
  void SetRefused(int id, int reg);
  void SetSlaveBaud(int id, int baud);
  void SetProductId(int id, uint32_t productId);
  uint16_t Holding(int id, int reg) const;
  bool Coil(int id, int coil) const;

  // --- faults: the queue applies to the next answers, one each; the standing
  // fault applies whenever the queue is empty ---
  void QueueFault(const ReplyFault& f);
  void SetStandingFault(const ReplyFault& f);
  void ClearFaults();

  // --- what arrived ---
  std::vector<SimFrame> Frames() const;
  void ClearFrames();
  // Waits until at least n frames have arrived; false on time-out.
  bool WaitForFrames(size_t n, int timeoutMs) const;
  // Answers sent so far (after faults were applied).
  int AnswersSent() const;

  // --- the line ---
  int LineBaud() const;  // the speed the tool set on the port, in bit/s
  // Changes a setting that only a fresh open of the port puts back, so a
  // test can see that the port was opened anew.
  void MarkLine();
  bool LineMarked() const;
  // Writes bytes to the tool unasked (on the pty).
  void SendRaw(const QByteArray& bytes);

  // Also serves the same device on a loopback TCP port (RTU frames without
  // any header, one answer per request on the connection that asked).
  // Returns the port number on 127.0.0.1, 0 when it cannot listen.
  int ListenTcp();
  // Connections taken so far. The tool's connect can end before the
  // device's thread has taken the connection, so a test that expects n
  // first waits (up to 5 s) for that many.
  int TcpConnections(int expected = 0) const;
  // The Wi-Fi module goes away: its open connections are reset and nothing
  // listens any more, so a new connection is refused. Returns once done.
  void LoseTcp();

  // --- more framings (tried in order; the first whose check passes wins) ---
  void AddProtocol(std::unique_ptr<SimProtocol> p, bool first = false);

  // For protocols: the slave of an ID, nullptr when no such device is on the bus.
  Slave* FindSlave(int id);
  // For protocols: whether the slave hears the frame being answered (a frame
  // on the pty reaches only slaves at the line's speed; other lines have no speed).
  bool Hears(const Slave& s) const;
  // For protocols: the line of the frame being answered goes down instead of
  // answering (a TCP connection is closed; the pty just stays silent).
  void DropLine() { dropLine_ = true; }
  // For protocols: the line the frame being answered came on ("pty", "tcp",
  // or the name given to Exchange).
  QString CurrentLine() const { return line_; }
  // For a framing that takes slaves off Modbus (the bootloader): RTU requests
  // to an ID the gate turns down go unanswered. The gate is called with the
  // device state locked.
  void SetModbusGate(std::function<bool(int id)> gate);
  bool ModbusAnswers(int id) const { return !modbusGate_ || modbusGate_(id); }

  // Another line feeding the same framings and register maps (the radio
  // dongle): the answer to one whole frame, recorded like the other lines'
  // frames under the line's name; nullopt = no answer. Faults are the other
  // line's business.
  std::optional<QByteArray> Exchange(const QByteArray& frame, const QString& line = QStringLiteral("radio"));

 private:
  // A line the device listens on: the pty, a TCP listener or a TCP connection.
  struct Line {
    enum class Kind { Pty, Listener, Tcp } kind;
    int fd;
    std::vector<uint8_t> buf;  // bytes not yet taken as frames
  };
  void Run();
  void Process(Line& line, bool stale);
  void Deliver(int fd, QByteArray reply);
  // Closes the line a HangUp fault took away, once its request is handled.
  void HangUpLines();
  static void WriteAll(int fd, const QByteArray& bytes);

  int master_ = -1;
  int slave_ = -1;  // kept open so the line lives while the tool reopens it
  std::unique_ptr<LineMember> lineTime_;  // the pty's part in the line's time
  int wake_[2] = {-1, -1};
  QString path_;

  mutable std::mutex mu_;
  mutable std::condition_variable frameArrived_;
  std::map<int, Slave> slaves_;
  std::deque<ReplyFault> queued_;
  ReplyFault standing_;
  std::vector<SimFrame> frames_;
  std::vector<std::unique_ptr<SimProtocol>> protocols_;
  int answers_ = 0;
  bool fromPty_ = true;  // the frame being answered came on the pty
  bool dropLine_ = false;  // set by a protocol while answering
  int hangUpFd_ = -1;      // the line a HangUp fault takes away
  QString line_ = QStringLiteral("pty");
  std::function<bool(int id)> modbusGate_;
  bool stop_ = false;
  std::vector<Line> lines_;      // the I/O thread's own
  std::vector<int> newListeners_;  // handed to the I/O thread
  int tcpConnections_ = 0;
  bool loseTcp_ = false;  // asked of the I/O thread; cleared when done
  std::thread thread_;
};

}  // namespace sim
