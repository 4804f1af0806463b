// The firmware upgrade through the inverter's Wi-Fi module: the bootloader
// frames of the serial procedures, sent to bus ID 1 over the link's TCP
// client. Every block is acknowledged, and the module reports a progress
// percentage after the bank select (while the bank is erased) and after the
// done step (while the new firmware is copied into place).
#include <QString>

#include <algorithm>
#include <cstdint>

#include "link/Modbus.h"
#include "link/Mysock.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace {

constexpr int kSlot = 1;  // the client's socket for bus ID 1
constexpr int kReplyMs = 5000;
constexpr int kProcessorReplyMs = 15000;
constexpr int kPollReplyMs = 1000;
constexpr int kTries = 3;
constexpr int kBankWaitPolls = 100;
constexpr int kBankWaitFailures = 15;
constexpr int kFinalWaitPolls = 600;
constexpr int kFinalWaitFailures = 20;

// How long the reply being received is, from its first bytes: the header's
// length byte says it, except for the progress reply, which carries its
// percent beyond its length of 1 (as the poll does). Bytes that are no reply
// are taken as they come.
int ReplyLength(const std::uint8_t* rx, int n) {
  if (n < 6) return 0;
  if (rx[0] != 0xFF || rx[1] != 0xFF) return n;
  if (rx[5] == boot::kRetry90 && rx[4] == 1) return 9;
  return rx[4] + 7;
}

QString IdLine(int id, const QString& text) { return IdText(id) + text; }
QString Hex8(std::uint32_t v) { return HexDigits(v, 8); }
QString Hex4(std::uint32_t v) { return HexDigits(v & 0xFFFF, 4); }

// A new connection to the module for the socket of bus ID 1 (whether it
// comes up shows at the first send). 1 when no socket could be set up.
int Connect(upgradeTool& t) {
  const WifiAddress addr = WifiModuleAddress();
  return t.Link->Client.Connect(kSlot, addr.host, addr.service) < 0 ? 1 : 0;
}

// The same after a failed exchange; a failure is noted in the traffic log.
int Reconnect(upgradeTool& t) {
  if (Connect(t) == 0) return 0;
  t.LogEvent(QStringLiteral("Error - Could not connect"));
  return 1;
}

// Puts the request into Port's transmit buffer and sets FrameLength.
void Build(upgradeTool& t, int id, std::uint8_t lengthByte, std::uint8_t command, const std::uint8_t* payload,
           int payloadBytes) {
  t.FrameLength = boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, static_cast<std::uint16_t>(id), lengthByte,
                                     command, payload, payloadBytes);
}

// Sends the built request and receives one reply into the client's buffer;
// the receive dump follows. 0 when a reply came (whatever it holds).
int TcpExchange(upgradeTool& t, int timeoutMs) {
  QorClient& c = t.Link->Client;
  if (t.FrameLength <= 0 || c.Send(kSlot, t.Port.TxBuf, t.FrameLength) != 0) {
    t.LogTraffic(QStringLiteral("Error - Send"));
    return 1;
  }
  if (c.Receive(kSlot, timeoutMs, ReplyLength) != 0) {
    t.LogTraffic(QStringLiteral("Error - Receive"));
    return 1;
  }
  t.LogRx(c.RxBuf, c.RxLen);
  return 0;
}

bool Accepted(const upgradeTool& t, int id, int length, int command) {
  return boot::IsReplyAtStart(t.Link->Client.RxBuf, t.Link->Client.RxLen, id, length, command);
}

}  // namespace

int upgradeTool::TcpQueryProductId(int id) {
  DevicePid[1] = 0;
  Build(*this, id, 1, boot::kReadProductId, nullptr, 0);
  if (TcpExchange(*this, kReplyMs) != 0) return 1;
  const std::uint8_t* rx = Link->Client.RxBuf;
  // The module answers for whichever device it serves: the ID is not tested.
  const int replyId = Link->Client.RxLen >= 4 ? (rx[2] | rx[3] << 8) : -1;
  if (Accepted(*this, replyId, 5, boot::kReadProductId)) DevicePid[1] = static_cast<std::int32_t>(boot::Le32(rx + 6));
  Log(QStringLiteral("PID: ") + QString::number(DevicePid[1]));
  return 0;
}

namespace {

int EnterMode(upgradeTool& t, int id, int mode) {
  const auto& key = mode == 1 ? boot::kEnterBootMode1 : boot::kEnterBootMode2;
  const std::uint8_t command = mode == 1 ? boot::kEnterMode1 : boot::kEnterMode2;
  Build(t, id, 8, command, key.data(), static_cast<int>(key.size()));
  if (TcpExchange(t, kReplyMs) != 0) return 1;
  const QString what = QStringLiteral(": Enter bootloader mode%1 - ").arg(mode);
  if (Accepted(t, id, 1, command)) {
    t.Log(IdLine(id, what + QStringLiteral("OK")));
    return 0;
  }
  t.LogRed(IdLine(id, what + QStringLiteral("ERROR")));
  return 1;
}

}  // namespace

int upgradeTool::TcpEnterBootMode1(int id) { return EnterMode(*this, id, 1); }
int upgradeTool::TcpEnterBootMode2(int id) { return EnterMode(*this, id, 2); }

int upgradeTool::TcpSelectProcessor(int id, int processor) {
  const std::uint8_t payload = static_cast<std::uint8_t>(processor);
  Build(*this, id, 2, boot::kSelectProcessor, &payload, 1);
  if (TcpExchange(*this, kProcessorReplyMs) != 0) return 1;
  const QString line = QStringLiteral("   ID:%1 Select Processor %2 ").arg(id).arg(processor);
  if (Accepted(*this, id, 2, boot::kSelectProcessor)) {
    Log(line + QStringLiteral("OK"));
    return 0;
  }
  LogRed(line + QStringLiteral("Error"));
  return 1;
}

int upgradeTool::TcpSelectBank(int id, std::uint32_t address) {
  std::uint8_t payload[5] = {0};
  boot::PutLe32(payload + 1, address);
  Build(*this, id, 6, boot::kSelectBank, payload, 5);
  if (TcpExchange(*this, kReplyMs) != 0) return 1;
  if (Accepted(*this, id, 6, boot::kSelectBank)) {
    const std::uint8_t* rx = Link->Client.RxBuf;
    Log(QStringLiteral("   Bank select: ") + QString::number(rx[6]));
    Log(QStringLiteral("   This Device Starts address: 0x") + Hex8(boot::Le32(rx + 7)));
    Log(IdLine(id, QStringLiteral(": Bank select OK")));
    return 0;
  }
  LogRed(IdLine(id, QStringLiteral(": Bank select Error")));
  return 1;
}

int upgradeTool::TcpCloseBank(int id) {
  Log(QStringLiteral("   PC_CheckSUM - 0x") + Hex4(static_cast<std::uint32_t>(Info.Crc20)));
  std::uint8_t payload[5] = {0};
  boot::PutLe32(payload + 1, static_cast<std::uint32_t>(TotalSent));
  Build(*this, id, 6, boot::kCloseBank, payload, 5);
  if (TcpExchange(*this, kReplyMs) != 0) return 1;
  const std::uint8_t* rx = Link->Client.RxBuf;
  // Any command of length 4 shows the device's sum; only the bank close's counts.
  if (Link->Client.RxLen >= 6 && Accepted(*this, id, 4, rx[5])) {
    const int sum = rx[7] | rx[8] << 8;
    Log(IdLine(id, QStringLiteral(": INV_CheckSUM - 0x") + Hex4(static_cast<std::uint32_t>(sum))));
    if (rx[5] == boot::kCloseBank && sum == Info.Crc20) return 0;
  }
  LogRed(IdLine(id, QStringLiteral(": Check SUM CRC& Bank Close Error")));
  return 1;
}

int upgradeTool::TcpFinish(int id) {
  const std::uint8_t payload = 0;
  Build(*this, id, 2, boot::kDone, &payload, 1);
  if (TcpExchange(*this, kReplyMs) != 0) return 1;
  if (Accepted(*this, id, 2, boot::kDone)) {
    Log(IdLine(id, QStringLiteral(": Done - Bank = ") + QString::number(Link->Client.RxBuf[6])));
    return 0;
  }
  LogRed(IdLine(id, QStringLiteral(": Done - ERROR")));
  return 1;
}

int upgradeTool::TcpSendBlock(int id, std::uint32_t address, std::uint32_t next, const std::uint8_t* data, int n) {
  FrameLength = boot::BuildBlockRequest(Port.TxBuf, Tcomm::kTxSize, static_cast<std::uint16_t>(id), boot::kProgram20,
                                        address, next, data, n);
  QorClient& c = Link->Client;
  if (FrameLength <= 0 || c.Send(kSlot, Port.TxBuf, FrameLength) != 0) {
    LogTraffic(QStringLiteral("Error - Send"));
    return 1;
  }
  if (c.Receive(kSlot, kReplyMs, ReplyLength) != 0) {
    LogTraffic(QStringLiteral("     ..."));
    return 1;
  }
  if (Accepted(*this, id, 5, boot::kRetryA0) && boot::Le32(c.RxBuf + 6) == address) return 0;
  LogRed(IdLine(id, QStringLiteral(": Programming Error")));
  return 1;
}

int upgradeTool::TcpPollProgress(int id, int& percent) {
  // The poll carries a zero byte that its length byte does not count.
  const std::uint8_t zero = 0;
  Build(*this, id, 1, boot::kRetry90, &zero, 1);
  QorClient& c = Link->Client;
  if (FrameLength <= 0 || c.Send(kSlot, Port.TxBuf, FrameLength) != 0) return 1;
  if (c.Receive(kSlot, kPollReplyMs, ReplyLength) != 0) return 1;
  // The percent lies past the length the header gives: it must have arrived too.
  if (c.RxLen < 7 || !Accepted(*this, id, 1, boot::kRetry90)) return 1;
  percent = c.RxBuf[6];
  return 0;
}

int upgradeTool::TcpProgramBlocks(int id) {
  const int rows = Grid.RowCount();
  TotalSent = 0;
  // Blocks are the image's rows: their size is the one the loader cut them to.
  const int n = Grid.BlockSize();
  if (rows <= 0 || n <= 0 || n > static_cast<int>(ProgramBlock{}.Data.size())) return 1;
  ProgramBlock block;
  int row = Grid.FirstNumberedRow();
  // An empty address cell, or the row after the last, ends the image.
  while (ReadProgramBlock(row, block, Grid, n, Info.StopAddress) == 0) {
    for (int attempt = 1;; ++attempt) {
      if (TcpSendBlock(id, block.Address, block.NextAddress, block.Data.data(), n) == 0) break;
      ProcessEvents();
      Pause(3000);
      Reconnect(*this);
      Pause(200);
      if (attempt == kTries) return 1;
    }
    ProcessEvents();
    TotalSent += n;
    ReportBlock(row, rows, block.Address, n);
    ProcessEvents();
    ++row;
    // Rows whose erase unit holds only the fill byte are not sent.
    while (Grid.HasAddress(row) && Grid.Number(row) == 0) ++row;
  }
  return EndStream(Info.Length20, QStringLiteral("TX Total Length Error(0x20)"));
}

int upgradeTool::RunTcpProcedure() {
  if (!Link) return 1;
  // Selecting the bank erases it: an image with nothing to send must stop
  // before the first frame, or the device would be left empty.
  if (Grid.ImageRows() <= 0 || Info.Length20 <= 0) {
    LogRed(QStringLiteral("No Image Data to Program"));
    return 1;
  }
  const auto step = [this](const char* line) { LogTraffic(QString::fromLatin1(line)); };

  if (Connect(*this) != 0) {
    step("Error - Could not connect");
    return 1;
  }
  Pause(50);

  step("1. Check PID");
  if (TcpQueryProductId(1) != 0) {
    step("1. Check PID - Error");
    return 1;
  }
  // This link has no table of compatible products: the IDs must be equal.
  if (HexTextToInt(Info.ProductId) != DevicePid[1]) {
    step("PID don't match");
    return 1;
  }

  step("2. Enter Bootloader Mode");
  if (TcpEnterBootMode1(1) != 0) {
    step("2. Enter Bootloader Mode1 - Error");
    return 1;
  }
  if (TcpEnterBootMode2(1) != 0) {
    step("2. Enter Bootloader Mode2 - Error");
    return 1;
  }
  Pause(2000);

  step("3. Processor Select");
  if (TcpSelectProcessor(1, Info.Processor) != 0) {
    step("3. Processor Select - Error");
    return 1;
  }
  Pause(5000);

  step("4. Bank Select");
  const auto start = static_cast<std::uint32_t>(HexTextToInt(Info.StartAddress));
  for (int attempt = 1;; ++attempt) {
    if (TcpSelectBank(1, start) == 0) break;
    LogEvent(QStringLiteral("Try to connect"));
    if (Reconnect(*this) != 0) return 1;
    LogEvent(QStringLiteral("connect OK"));
    Pause(200);
    if (attempt == kTries) {
      step("4. Bank Select - Error");
      return 1;
    }
  }

  // The device erases the bank; after the last poll it goes on as if done.
  int failures = 0;
  for (int poll = 0; poll < kBankWaitPolls; ++poll) {
    int percent = 0;
    if (TcpPollProgress(1, percent) != 0) {
      Reconnect(*this);
      ++failures;
      Pause(200);
    } else if (percent == 100) {
      break;
    }
    if (failures > kBankWaitFailures) return 1;
    ProcessEvents();
    Pause(1000);
  }

  step("5. Programming Data");
  if (TcpProgramBlocks(1) != 0) {
    step("5. Programming Data - Error");
    return 1;
  }

  step("6. Bank Close");
  for (int attempt = 1;; ++attempt) {
    if (TcpCloseBank(1) == 0) break;
    if (Reconnect(*this) != 0) return 1;
    Pause(200);
    if (attempt == kTries) {
      step("6. Bank Close - Error");
      return 1;
    }
  }

  step("7. Done");
  for (int attempt = 1;; ++attempt) {
    if (TcpFinish(1) == 0) break;
    Reconnect(*this);
    Pause(200);
    if (attempt == kTries) {
      step("7. Done - Error");
      return 1;
    }
  }

  step("8. Internal Procedure");
  failures = 0;
  for (int poll = 0; poll < kFinalWaitPolls; ++poll) {
    int percent = 0;
    if (TcpPollProgress(1, percent) != 0) {
      Reconnect(*this);
      ++failures;
      Pause(200);
    } else {
      if (Views) {
        Views->SetProgress(percent);
        Views->SetStatusPanel(8, QStringLiteral("Processing... %1%").arg(percent));
      }
      if (percent == 100) {
        step("Upgrade Finish");
        return 0;
      }
    }
    if (failures > kFinalWaitFailures) return 1;
    ProcessEvents();
    Pause(1000);
  }
  return 1;
}
