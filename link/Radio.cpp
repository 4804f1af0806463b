// The sub-GHz radio dongle: a serial device driven by short text commands.
// A Modbus request travels as a 13-byte payload in hexadecimal ("rf tx ..."),
// and the answer comes back as "radio_rx <payload> <rssi> <snr>".
#include "link/Radio.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/Myfunc.h"
#include "link/LineClock.h"
#include "link/LinkUi.h"
#include "link/Modbus.h"
#include "platform/CFormat.h"
#include "platform/Dialogs.h"

namespace {

int WriteCommand(Tcomm& port, const QByteArray& text) {
  return port.WriteBytes(reinterpret_cast<const uint8_t*>(text.constData()), int(text.size()));
}

// What the dongle has answered, as text (the bytes of the last read).
QByteArray ReceivedText(const Tcomm& port) {
  const int n = std::clamp(port.RxCount, 0, Tcomm::kRxSize);
  return QByteArray(reinterpret_cast<const char*>(port.RxBuf), n);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;  // the dongle sends hexadecimal digits only
}

// A decimal token as the dongle writes its RSSI and SNR; 0 when it is none.
int TokenInt(const QByteArray& token) {
  bool ok = false;
  const int v = token.toInt(&ok, 10);
  return ok ? v : 0;
}

}  // namespace

int RadioFreqTenthsFromText(const QString& text) {
  // The safe converter reads a point (or a comma) whatever the locale, and
  // nudges the value so 928.9 gives 9289 after truncation.
  const long double tenths = std::trunc(SafeStrToFloat(text) * 10);
  if (!(tenths <= 2147483647.0L && tenths >= -2147483648.0L)) return 0;
  return static_cast<int>(tenths);
}

int Modbus::SelectRadioFrequency(int tenthsMHz) {
  int v = tenthsMHz;
  if (v < 8620 || v > 9320) {
    ShowMessage(QStringLiteral("illegal freq, default setting"));
    v = 9000;
  }
  RadioFreq = v * 100000;
  return 0;
}

int Modbus::SendRadioFrequency(int hz) {
  if (hz == RadioFreqNow) return 0;
  QByteArray cmd = QByteArrayLiteral("rf set_freq ") + QByteArray::number(hz);
  cmd.truncate(21);  // the dongle takes the command as 21 bytes
  WriteCommand(Port, cmd);
  DelayLineMs(100);
  Port.Read();
  TraceRxText();
  if (ReceivedText(Port).contains("Ok")) {
    RadioFreqNow = hz;
    return 0;
  }
  return 1;
}

int Modbus::SetupRadio() {
  SendRadioFrequency(RadioFreqAlt);
  static const char* const kSetup[] = {"rf rx_con off", "rf set_sync 51", "rf set_sf 9", "rf set_bw 250",
                                       "rf set_pwr 15"};
  for (const char* text : kSetup) {
    WriteCommand(Port, QByteArray(text));
    CurrentLinkUi().Trace(QString::fromLatin1(text));
    DelayLineMs(100);
    Port.Read();
    TraceRxText();
  }
  return 0;
}

int Modbus::TransactRadio() {
  LinkUi& ui = CurrentLinkUi();
  const unsigned serial = ++exchangeSerial_;
  interrupted_ = false;
  // A wait that let a nested exchange run leaves this one without a reply.
  const auto wait = [&](int ms) {
    DelayLineMs(ms);
    if (serial == exchangeSerial_) return true;
    interrupted_ = true;
    ClearReply();
    return false;
  };

  if (!wait(200)) return 0;
  if (Port.WriteText()) return 1;
  TraceTx();
  if (!wait(50)) return 0;
  Port.Read();
  TraceRxText();
  ++TxCount;
  ui.SetStatus(3, CFormat("%d", TxCount));

  ClearReply();
  if (WriteCommand(Port, QByteArrayLiteral("rf rx_con on"))) return 1;
  if (!wait(50)) return 0;
  if (Port.Read()) return 1;
  TraceRxText();

  if (!wait(900)) return 0;  // the receive window
  if (Port.Read()) return 1;
  if (Port.RxCount > 0) {
    TraceRxText();
    ParseRadioReply();
    TraceRadioRx();
  } else {
    ShowNoSignal();
  }

  if (WriteCommand(Port, QByteArrayLiteral("rf rx_con off"))) return 1;
  if (!wait(50)) return 0;
  if (Port.Read()) return 1;
  TraceRxText();
  ui.SetStatus(5, CFormat("NoRx/Error:%d/%d", NoReplyCount, CrcErrors));
  return 0;
}

void Modbus::ShowNoSignal() {
  // The dongle heard nothing: a signal shown from before would mislead
  // anyone aligning the antenna.
  CurrentLinkUi().SetStatus(9, QString());
  CurrentLinkUi().SetStatus(10, QString());
}

int Modbus::ParseRadioReply() {
  // Tokens are separated by blanks; line ends are no part of a token.
  const QList<QByteArray> tokens = ReceivedText(Port).simplified().split(' ');
  int at = -1;
  for (int i = 0; i < tokens.size(); ++i) {
    if (tokens[i].contains("radio_rx")) {
      at = i;
      break;
    }
  }
  LinkUi& ui = CurrentLinkUi();
  if (at < 0) {
    ShowNoSignal();
    return 0;
  }
  if (at + 1 < tokens.size()) {
    const QByteArray& hex = tokens[at + 1];
    const int n = std::min(int(hex.size()) / 2, kReplySize);
    uint8_t bytes[kReplySize];
    for (int i = 0; i < n; ++i) bytes[i] = uint8_t(HexDigit(hex[2 * i]) << 4 | HexDigit(hex[2 * i + 1]));
    // Like on the other links, a read reply must carry what was asked for. A
    // payload that fails either check is no reply at all: the radio counts
    // none of its payloads as a reply error.
    ReplyValid = 0;
    if (CheckBufferCrc(bytes, n)) {
      std::memcpy(Reply, bytes, size_t(n));
      RxLength = n;
      if (CheckReplyShape()) {
        ReplyValid = 1;
      } else {
        ClearReply();
      }
    }
  }
  // The signal of this reply, or nothing: never that of an earlier one.
  ui.SetStatus(9, at + 2 < tokens.size() ? CFormat("RSSI: %d", TokenInt(tokens[at + 2])) : QString());
  ui.SetStatus(10, at + 3 < tokens.size() ? CFormat("SNR: %d", TokenInt(tokens[at + 3])) : QString());
  return 0;
}

int Modbus::RadioExchange() {
  // After twenty exchanges without a byte the dongle is set up afresh.
  if (FailStreak % 20 == 19) SetupRadio();
  if (TransactRadio()) return 1;
  if (interrupted_) return 0;
  if (RxLength > 0 && ReplyValid == 1) {
    SendRadioFrequency(RadioFreq);
    return 0;
  }
  // No answer: try once more on the other frequency, and come back to the
  // configured one as soon as the inverter has answered on the fallback.
  SendRadioFrequency(RadioFreqNow == RadioFreq ? RadioFreqAlt : RadioFreq);
  if (TransactRadio()) return 1;
  if (interrupted_) return 0;
  if (RxLength > 0 && ReplyValid == 1 && RadioFreqNow == RadioFreqAlt) SendRadioFrequency(RadioFreq);
  return 0;
}
