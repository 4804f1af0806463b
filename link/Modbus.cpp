#include "link/Modbus.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/Myfunc.h"
#include "link/LineClock.h"
#include "link/LinkUi.h"
#include "platform/CFormat.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHexBytes(QString& line, const uint8_t* bytes, int n) {
  line.reserve(line.size() + 3 * n);
  for (int i = 0; i < n; ++i) {
    line += QLatin1Char(' ');
    line += QLatin1Char(kHex[bytes[i] >> 4]);
    line += QLatin1Char(kHex[bytes[i] & 0x0F]);
  }
}

void PlainSleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

Modbus::Modbus() {
  std::memset(Reply, 0, sizeof Reply);
  std::memset(IdPresent, 0, sizeof IdPresent);
  std::memset(IdBaudIndex, 0, sizeof IdBaudIndex);
  std::memset(IdProductId, 0, sizeof IdProductId);
  std::memset(IdNormalMode, 0, sizeof IdNormalMode);
  std::memset(ScanAux2, 0, sizeof ScanAux2);
  std::memset(DayEnergy, 0, sizeof DayEnergy);
  std::memset(MonthEnergy, 0, sizeof MonthEnergy);
  std::memset(EnergyTotals, 0, sizeof EnergyTotals);
}

// Closing is the link's business; a port still open goes with the last
// object that shares it.
Modbus::~Modbus() = default;

void Modbus::ClearReply() {
  ReplyValid = 0;
  std::memset(Reply, 0, sizeof Reply);
  RxLength = 0;
}

void Modbus::BeginRequest() {
  ClearReply();
  // The radio exchange sends CmdText: a request that builds none must find
  // it empty, never the text of the request before it.
  Port.CmdText.clear();
}

// ---------------------------------------------------------------------------
// Request frames

void Modbus::BuildRtu(uint8_t function, uint16_t reg, uint16_t word) {
  const uint16_t wire = static_cast<uint16_t>(reg - 1);  // 1-based numbers, modulo 65,536
  uint8_t* f = Port.TxBuf;
  f[0] = SlaveId;
  f[1] = function;
  f[2] = static_cast<uint8_t>(wire >> 8);
  f[3] = static_cast<uint8_t>(wire & 0xFF);
  f[4] = static_cast<uint8_t>(word >> 8);
  f[5] = static_cast<uint8_t>(word & 0xFF);
  TxFraming = Framing::Rtu;
}

void Modbus::BuildRadioPayload() {
  uint8_t* f = Port.TxBuf;
  const uint32_t freq = static_cast<uint32_t>(RadioFreq);
  f[6] = static_cast<uint8_t>(freq >> 24);
  f[7] = static_cast<uint8_t>(freq >> 16);
  f[8] = static_cast<uint8_t>(freq >> 8);
  f[9] = static_cast<uint8_t>(freq);
  f[10] = 0xFF;
  const uint16_t crc = Crc16(f, 11);
  f[11] = static_cast<uint8_t>(crc & 0xFF);
  f[12] = static_cast<uint8_t>(crc >> 8);
  QString text = QStringLiteral("rf tx ");
  for (int i = 0; i < 13; ++i) {
    text += QLatin1Char(kHex[f[i] >> 4]);
    text += QLatin1Char(kHex[f[i] & 0x0F]);
  }
  Port.CmdText = text;
}

int Modbus::Request(uint16_t reg, int16_t countOrValue, uint8_t function) {
  BeginRequest();
  BuildRtu(function, reg, static_cast<uint16_t>(countOrValue));
  if (LinkMode == LinkRadio) {
    BuildRadioPayload();
  } else {
    const uint16_t crc = Crc16(Port.TxBuf, 6);
    Port.TxBuf[6] = static_cast<uint8_t>(crc & 0xFF);
    Port.TxBuf[7] = static_cast<uint8_t>(crc >> 8);
    TxLength = 8;
  }

  switch (LinkMode) {
    case LinkSerial:
      try {
        if (Transact()) return 1;
      } catch (...) {
        PlainSleepMs(1000);
        try {
          if (Transact()) return 1;
        } catch (...) {
          return 1;
        }
      }
      break;
    case LinkTcp:
    case LinkRadio:
      if (Transact()) return 1;
      break;
    default:
      break;  // no link: nothing is sent, the reply stays empty
  }
  QCoreApplication::processEvents();
  return 0;
}

int Modbus::WriteRegister32(uint16_t reg, int32_t value) {
  BeginRequest();
  // The radio payload carries one 16-bit value only: nothing goes out, and
  // the caller finds no reply.
  if (LinkMode == LinkRadio) return 0;
  const uint32_t v = static_cast<uint32_t>(value);
  uint8_t* f = Port.TxBuf;
  BuildRtu(0x10, reg, 2);
  f[6] = 4;
  f[7] = static_cast<uint8_t>(v >> 24);
  f[8] = static_cast<uint8_t>(v >> 16);
  f[9] = static_cast<uint8_t>(v >> 8);
  f[10] = static_cast<uint8_t>(v);
  const uint16_t crc = Crc16(f, 11);
  f[11] = static_cast<uint8_t>(crc & 0xFF);
  f[12] = static_cast<uint8_t>(crc >> 8);
  TxLength = 13;
  return Transact() ? 1 : 0;
}

int Modbus::RequestStxEtx(uint8_t command, uint8_t subCommand) {
  BeginRequest();
  // The older line's frame has no radio form: refused like a function-16 write.
  if (LinkMode == LinkRadio) return 0;
  uint8_t* f = Port.TxBuf;
  f[0] = 0x02;
  f[1] = 0x05;
  f[2] = SlaveId;
  f[3] = 0x02;
  f[4] = command;
  f[5] = subCommand;
  const uint16_t crc = Crc16StxEtx(&f[1], &f[5]);
  f[6] = static_cast<uint8_t>(crc & 0xFF);
  f[7] = static_cast<uint8_t>(crc >> 8);
  f[8] = 0x03;
  TxLength = 9;
  TxFraming = Framing::StxEtx;
  if (Transact()) return 1;
  QCoreApplication::processEvents();
  return 0;
}

// ---------------------------------------------------------------------------
// Reply checks

bool Modbus::CheckReplyCrc() {
  const int n = std::min(RxLength, kReplySize);
  // Fewer bytes than the smallest frame that answers the request are no
  // reply: an RTU exception reply is 5 bytes, an older-line frame 7 (STX,
  // status, address, count, CRC, ETX).
  const int smallest = TxFraming == Framing::StxEtx ? 7 : TxFraming == Framing::Rtu ? 5 : 4;
  if (n < smallest) return false;
  if (TxFraming == Framing::StxEtx) {
    if (Reply[0] != 0x02 || Reply[n - 1] != 0x03) return false;
    const uint16_t crc = Crc16StxEtx(&Reply[1], &Reply[n - 4]);
    return Reply[n - 3] == (crc & 0xFF) && Reply[n - 2] == (crc >> 8);
  }
  const uint16_t crc = Crc16(Reply, n - 2);
  return Reply[n - 2] == (crc & 0xFF) && Reply[n - 1] == (crc >> 8);
}

namespace {
// Data bytes that a read of `count` items by `function` returns; -1 for other functions.
int ReadDataBytes(int function, int count) {
  if (function == 3 || function == 4) return 2 * count;
  if (function == 1) return (count + 7) / 8;
  return -1;
}
}  // namespace

bool Modbus::CheckReplyShape() const {
  if (TxFraming != Framing::Rtu || RxLength < 3) return true;
  const int count = (Port.TxBuf[4] << 8) | Port.TxBuf[5];
  const int data = ReadDataBytes(Reply[1], count);
  if (data < 0) return true;  // exception replies and writes have their own fixed form
  return Reply[2] == data && RxLength == data + 5;
}

int Modbus::ExpectedReplyLength(const uint8_t* received, int count) const {
  if (TxFraming == Framing::StxEtx) {
    // STX, ACK, address, N, N bytes, CRC, ETX.
    if (received && count >= 4) return received[3] + 7;
    return TxLength;
  }
  if (TxFraming == Framing::Rtu) {
    if (received && count >= 2 && (received[1] & 0x80)) return 5;  // exception reply
    const int function = Port.TxBuf[1];
    const int data = ReadDataBytes(function, (Port.TxBuf[4] << 8) | Port.TxBuf[5]);
    if (data >= 0) return data + 5;
    if (function == 5 || function == 6 || function == 0x10) return 8;
  }
  return TxLength;
}

// ---------------------------------------------------------------------------
// Transactions

void Modbus::ShowNoReplyCounters() {
  CurrentLinkUi().SetStatus(5, CFormat("NoRx/Error:%d/%d", NoReplyCount, CrcErrors));
}

int Modbus::TransactSerial() {
  LinkUi& ui = CurrentLinkUi();
  const unsigned serial = ++exchangeSerial_;
  interrupted_ = false;

  DelayMs(30);  // RS-485 turnaround before we drive the bus
  if (serial != exchangeSerial_) {
    // A nested exchange ran from the event processing and rebuilt TxBuf.
    interrupted_ = true;
    ClearReply();
    return 0;
  }
  // Bytes still arriving from an earlier exchange are not this reply.
  Port.DiscardInput();
  if (Port.Write(TxLength)) return 1;
  TraceTx();
  ++TxCount;
  ui.SetStatus(3, CFormat("%d", TxCount));

  ClearReply();
  Port.RxCount = 0;
  Port.RxBuf[0] = 0;

  // The time-out budget of the reply: 4, 6 or 10 looks of 50 ms by its length.
  // The port is read whenever it signals input (events are handled all the
  // while), and the exchange ends as soon as the whole reply is in, even when
  // it came in several pieces.
  const int replyLength = ExpectedReplyLength(nullptr, 0);
  const int attempts = replyLength < 10 ? 4 : (replyLength <= 20 ? 6 : 10);
  // Never more is gathered than the reply can be long (judged again as its
  // first bytes come in): a flood in pieces is cut there and fails its check,
  // and what is left is discarded before the next request.
  const auto replyBound = [this] {
    return std::min(ExpectedReplyLength(Port.RxBuf, Port.RxCount), Tcomm::kRxLimit - 1);
  };
  // The time-out runs on the line's clock (see link/LineClock.h).
  const auto deadline = LineNow() + std::chrono::milliseconds(50 * attempts);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - LineNow()).count();
    if (left > 0) {
      Port.AwaitInput(static_cast<int>(left));
      if (serial != exchangeSerial_) {
        interrupted_ = true;
        ClearReply();
        return 0;
      }
    }
    // Read once more when the time is up: bytes that came before it belong
    // to the reply even when this thread was slow to look.
    if (Port.ReadMore(replyBound())) return 1;
    if (Port.RxCount > 0 && Port.RxCount >= replyBound()) break;
    if (left <= 0) break;
  }

  TraceRx();
  RxLength = Port.RxCount;
  if (RxLength > 0) {
    std::memcpy(Reply, Port.RxBuf, static_cast<size_t>(std::min(RxLength, kReplySize)));
    ReplyValid = ValidateReply() ? 1 : 0;
  }
  ShowNoReplyCounters();
  return 0;
}

void Modbus::CountExchange() {
  LinkUi& ui = CurrentLinkUi();
  if (RxLength == 0) {
    if (LinkMode != LinkTcp || !tcpSendFailed_) ++NoReplyCount;
    ++FailStreak;
  } else if (ReplyValid == 1) {
    if (FailStreak >= 10) ui.RestoreStaleViews();
    FailStreak = 0;
  } else {
    ++CrcErrors;
  }
  if (FailStreak == 10) {
    ui.MarkViewsStale();
    ui.SetStatus(0, QString());
  }
}

int Modbus::Transact() {
  if (Port.TxBuf[0] == 0) {
    // Address 0 is never sent; nothing is counted and the reply stays empty.
    ClearReply();
    PlainSleepMs(500);
    return 0;
  }
  switch (LinkMode) {
    case LinkSerial:
      if (TransactSerial()) return 1;
      if (interrupted_) return 0;
      if (FailStreak % 20 == 19) {
        // Twenty exchanges without a byte: start the port afresh at the
        // current inverter's speed.
        Port.Close();
        if (Port.Open(PortName)) return 1;
        SetBaudIndex(IdBaudIndex[SlaveId]);
      }
      break;
    case LinkTcp:
      if (TransactTcp() != 0) return 1;
      if (interrupted_) return 0;
      QCoreApplication::processEvents();
      PlainSleepMs(250);
      break;
    case LinkRadio:
      if (Port.CmdText.isEmpty()) {
        // No command text was built for this frame: nothing to send.
        ClearReply();
        return 0;
      }
      if (RadioExchange()) return 1;
      if (interrupted_) return 0;
      break;
    default:
      ClearReply();
      return 0;
  }
  CountExchange();
  return 0;
}

// ---------------------------------------------------------------------------
// Serial port

int Modbus::OpenSerial(const QString& portName) {
  PortName = portName;
  if (Port.Open(portName)) return 1;
  CurrentLinkUi().SetStatus(4, QStringLiteral("COM Open"));
  LinkMode = LinkSerial;
  return 0;
}

int Modbus::SetBaudIndex(int index) {
  // The Wi-Fi link has no serial speed to set or show.
  if (LinkMode == LinkTcp) return 0;
  Port.SetBaud(index);
  CurrentLinkUi().SetStatus(1, CFormat("%d", Port.Baud));
  return 0;
}

// ---------------------------------------------------------------------------
// Traffic log

int Modbus::TraceTx() {
  LinkUi& ui = CurrentLinkUi();
  if (!ui.TraceEnabled()) return 0;
  if (LinkMode == LinkRadio) {
    ui.Trace(CFormat("Tx:%d:", static_cast<int>(Port.CmdText.size())) + Port.CmdText);
    return 0;
  }
  const int n = std::clamp(TxLength, 0, Tcomm::kTxSize);
  QString line = CFormat("Tx:%d:", n);
  AppendHexBytes(line, Port.TxBuf, n);
  ui.Trace(line);
  return 0;
}

int Modbus::TraceRx() {
  const int n = std::clamp(Port.RxCount, 0, Tcomm::kRxSize);
  if (n <= 3) return 0;
  LinkUi& ui = CurrentLinkUi();
  if (!ui.TraceEnabled()) return 0;
  QString line = CFormat("Rx:%d:", n);
  AppendHexBytes(line, Port.RxBuf, n);
  ui.Trace(line);
  return 0;
}

int Modbus::TraceRxText() {
  const int n = std::clamp(Port.RxCount, 0, Tcomm::kRxSize);
  if (n <= 3) return 0;
  LinkUi& ui = CurrentLinkUi();
  if (!ui.TraceEnabled()) return 0;
  QString line = CFormat("Rx:%d:", n);
  line.reserve(line.size() + 2 * n);
  for (int i = 0; i < n; ++i) {
    line += QLatin1Char(' ');
    line += QLatin1Char(static_cast<char>(Port.RxBuf[i]));
  }
  ui.Trace(line);
  return 0;
}

int Modbus::TraceRadioRx() {
  const int n = std::clamp(RxLength, 0, kReplySize);
  if (n <= 3) return 0;
  LinkUi& ui = CurrentLinkUi();
  if (!ui.TraceEnabled()) return 0;
  QString line = CFormat("Rx:%d:", n);
  AppendHexBytes(line, Reply, n);
  ui.Trace(line);
  return 0;
}

void Modbus::TraceDiscarded(const QByteArray& bytes) {
  if (bytes.isEmpty()) return;
  LinkUi& ui = CurrentLinkUi();
  if (!ui.TraceEnabled()) return;
  const int n = static_cast<int>(bytes.size());
  QString line = CFormat("Discarded:%d:", n);
  AppendHexBytes(line, reinterpret_cast<const uint8_t*>(bytes.constData()), std::min(n, QorClient::kRxSize - 1));
  ui.Trace(line);
}
