#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>

#include "link/Mysock.h"
#include "link/Rs232.h"

// The code of the one-slot command mailbox (0 = empty). A command that
// leaves the slot without being taken by the executor (overwritten by the
// next post, emptied when the link opens or the profile changes, refused
// under the write lock) is reported to the drop handler, so whatever waits
// for the command's end is given back.
class CommandSlot {
 public:
  CommandSlot& operator=(int code) {
    const int old = code_;
    code_ = code;
    Dropped(old);
    return *this;
  }
  operator int() const { return code_; }
  // Taken out by the executor to be run: no drop.
  int Take() { return std::exchange(code_, 0); }
  // Reports a command that leaves without being run.
  void Dropped(int code) const {
    if (code > 0 && onDrop_) onDrop_(code);
  }
  void OnDrop(std::function<void(int code)> handler) { onDrop_ = std::move(handler); }

 private:
  int code_ = 0;
  std::function<void(int)> onDrop_;
};

// How Modbus requests travel.
enum LinkModes { LinkNone = 0, LinkSerial = 1, LinkTcp = 2, LinkRadio = 3 };

// The one Modbus master of the tool over the current link: request and reply
// buffers, the addressed slave, the one-slot command mailbox, the per-ID scan
// tables, the link counters, the TCP client and the radio frequencies.
//
// Callers build and send with Request, WriteRegister32 or RequestStxEtx, then
// use Reply only when ReplyValid is 1 and Reply[1] is the function they sent.
// Results: 0 = the link worked (a reply may still be missing), 1 = it failed.
class Modbus {
 public:
  static constexpr int kReplySize = 8192;
  // Slave IDs 0..254 plus 255, the address of the Wi-Fi link.
  static constexpr int kIdCount = 256;

  Modbus();
  ~Modbus();
  Modbus(const Modbus&) = delete;
  Modbus& operator=(const Modbus&) = delete;

  // --- requests ---------------------------------------------------------
  // Functions 1, 3, 4 (count) and 5, 6 (value) to the 1-based register.
  int Request(uint16_t reg, int16_t countOrValue, uint8_t function);
  // Function 16: the 32-bit value, high word to reg, low word to reg + 1.
  // Refused on the radio link (nothing sent, 0, no reply).
  int WriteRegister32(uint16_t reg, int32_t value);
  // The older product line's 9-byte framed request; refused on the radio
  // link like WriteRegister32.
  int RequestStxEtx(uint8_t command, uint8_t subCommand);

  // One exchange of the frame in TxBuf over the current link, with the link
  // statistics, the stale display and the port recovery.
  int Transact();
  int TransactSerial();

  // The Wi-Fi link's exchange (Mysock.cpp): 0 when it ran, reply or not;
  // -1 when no socket could be made; 1 when the module refused or reset the
  // connection (the link failed; TakeTcpFailure says why).
  int TransactTcp();
  // Why the Wi-Fi link failed ("<host>:<port>: <reason>"), once; empty when
  // it did not.
  QString TakeTcpFailure() { return std::exchange(tcpFailure_, QString()); }
  // Why the link failed, for a message: the Wi-Fi connection's or the
  // serial port's reason; empty when it has not failed.
  QString LinkError() const { return LinkMode == LinkTcp ? tcpFailure_ : Port.LastError(); }
  static constexpr int kTcpReplyTimeoutMs = 6000;

  // --- radio dongle (Radio.cpp) ---------------------------------------------
  int SelectRadioFrequency(int tenthsMHz);
  int SendRadioFrequency(int hz);
  int SetupRadio();
  int TransactRadio();
  int ParseRadioReply();
  // Empties the signal panels (RSSI, SNR): no reply was heard.
  void ShowNoSignal();

  // --- ID scan (IdScan.cpp) -------------------------------------------------
  int ProbeSlave(int id, int speedIndex);
  int ScanSlaves();

  // --- clock, register map and energy history (ClockSync.cpp, EnergyHistory.cpp)
  int SyncClock();
  int ReadDayHistory();
  int ReadMonthHistory();
  int WriteDayHistory();
  int WriteMonthHistory();

  // --- reply checks -----------------------------------------------------
  // CRC of the first RxLength bytes of Reply, in the framing of the request
  // that was sent (older-line frames only answer older-line requests).
  bool CheckReplyCrc();
  // Function 1, 3 and 4 replies: byte count and length as the request asked.
  bool CheckReplyShape() const;
  // Both checks: what every link's exchange sets ReplyValid from.
  bool ValidateReply() { return CheckReplyCrc() && CheckReplyShape(); }
  // Expected length of the whole reply to the request in TxBuf, judged from
  // the bytes received so far (an exception reply is 5 bytes).
  int ExpectedReplyLength(const uint8_t* received, int count) const;
  static bool CheckBufferCrc(const uint8_t* bytes, int n);

  // --- CRC --------------------------------------------------------------
  // CRC-16/MODBUS; the low byte goes first on the wire.
  static uint16_t Crc16(const uint8_t* data, int length);
  // CRC-16/ARC over first..last inclusive (one byte when last <= first).
  static uint16_t Crc16StxEtx(const uint8_t* first, const uint8_t* last);
  // CRC-16/MODBUS resumed from a previous result's low and high byte.
  static uint16_t Crc16Continue(const uint8_t* data, int length, uint8_t startLow, uint8_t startHigh);
  // The same with the seed's bytes exchanged (the BIN image loader's chain).
  static uint16_t Crc16ContinueWord(const uint8_t* data, uint16_t count, uint16_t start);

  // --- serial port --------------------------------------------------------
  int OpenSerial(const QString& portName);
  int SetBaudIndex(int index);

  // --- traffic log --------------------------------------------------------
  int TraceTx();
  int TraceRx();
  int TraceRxText();
  int TraceRadioRx();
  // Bytes that came in but answer no request: "Discarded:<count>:" and the
  // bytes (at most a receive buffer's worth of them).
  void TraceDiscarded(const QByteArray& bytes);

  // Empties Reply, RxLength and ReplyValid, so nobody decodes an earlier
  // reply as the answer to a new request.
  void ClearReply();
  // What every request starts with: the reply state cleared and no radio
  // command text left over from the request before.
  void BeginRequest();

  // Framing of the frame in TxBuf, set by whoever builds it.
  enum class Framing { Rtu, StxEtx, Other };

  // --- state (names shared with the rest of the tool) ---------------------
  Tcomm Port;
  uint8_t Reply[kReplySize];
  uint8_t SlaveId = 0;
  int CmdRegister = 0;
  int16_t CmdValue = 0;
  int16_t CmdValue2 = 0;
  CommandSlot CmdCode;
  int IdPresent[kIdCount];
  int IdBaudIndex[kIdCount];
  int IdProductId[kIdCount];
  // 1 = the scan found the device's application running (every ID the scan
  // passes); the firmware page reads it as the device's normal mode.
  int IdNormalMode[kIdCount];
  int ScanAux2[kIdCount];
  uint8_t ReplyValid = 0;
  int ScanEndId = 32;
  int ScanStartId = 0;
  int TxCount = 0;
  int FailStreak = 0;
  int CrcErrors = 0;
  int NoReplyCount = 0;
  int NoConnectCount = 0;
  QorClient Client;
  int LinkMode = LinkNone;
  QString PortName;
  int TxLength = 0;
  int RxLength = 0;
  int DayEnergy[732];
  int MonthEnergy[240];
  int EnergyTotals[11];
  int RadioFreq = 900000000;
  int RadioFreqNow = 0;
  int RadioFreqAlt = 900000000;
  Framing TxFraming = Framing::Rtu;

 private:
  void BuildRtu(uint8_t function, uint16_t reg, uint16_t word);
  void BuildRadioPayload();
  int SendBuilt();
  void CountExchange();
  void ShowNoReplyCounters();
  // Exchanges started so far; a wait that sees it change knows that a nested
  // exchange (run from the event processing) has used the buffers meanwhile.
  unsigned exchangeSerial_ = 0;
  // The last serial exchange gave way to a nested one and ended uncounted.
  bool interrupted_ = false;
  // The last TCP exchange could not send its frame: counted as no connection,
  // not as a missing reply.
  bool tcpSendFailed_ = false;
  QString tcpFailure_;  // why the Wi-Fi link failed; empty while it works
  // The radio exchange with its frequency fallback (Radio.cpp).
  int RadioExchange();
};
