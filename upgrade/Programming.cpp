// Streaming the image to the devices in their bootloaders, serving their
// retry requests, and the bank close that compares their checksum with the
// image's.
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#include "link/LineClock.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace {

// A retry request is 12 bytes: one is worth reading as soon as it is whole.
constexpr int kRetryRequestBytes = 12;
// The receive queue is emptied after this many blocks.
constexpr int kBlocksPerQueueRead = 9;
constexpr int kCloseTries = 5;


}  // namespace

int BlockWaitMs(int n, int baudRate, int attemptDelay, int devices) {
  if (baudRate <= 0) return -1;
  // n + 12 bytes of 10 bits at the boot speed, the image's delay, and a
  // margin that leaves room for several devices to answer.
  return (n * 10000 + 120000) / baudRate + attemptDelay + (devices > 1 ? 50 : 5);
}

int upgradeTool::SendBlock10(std::uint32_t address, const std::uint8_t* data, int n) {
  FrameLength = boot::BuildBlockRequest(Port.TxBuf, Tcomm::kTxSize, boot::kBroadcastId, boot::kProgram10, address, 0,
                                        data, n);
  return FrameLength == 0 || Port.Write(FrameLength) != 0 ? 1 : 0;
}

int upgradeTool::SendBlock20(std::uint32_t address, std::uint32_t next, const std::uint8_t* data, int n) {
  FrameLength = boot::BuildBlockRequest(Port.TxBuf, Tcomm::kTxSize, boot::kBroadcastId, boot::kProgram20, address,
                                        next, data, n);
  return FrameLength == 0 || Port.Write(FrameLength) != 0 ? 1 : 0;
}

int upgradeTool::ServeRetryRequest(int variant) {
  const int n = Port.RxCount;
  LogRx(Port.RxBuf, n);
  // The ID comes from the wire: it indexes nothing until it is known to be a
  // bus ID of a device in this run.
  const auto inRun = [this, variant](int id) {
    if (!Present(id) || !Selected[id] || !StepOk[id]) return false;
    return variant == 1 ? id == CurrentId : BootVersion[id] >= 3;
  };
  for (int i = boot::NextRetryRequest(Port.RxBuf, n, 0, inRun); i >= 0;
       i = boot::NextRetryRequest(Port.RxBuf, n, i + 1, inRun)) {
    const int id = Port.RxBuf[i + 2];
    const std::uint32_t address = boot::Le32(Port.RxBuf + i + 6);
    RetryAddress = address;
    if (address == 0) continue;
    Log(IdText(id) + QStringLiteral(": Retry Address: 0x") + HexDigits(address, 8));
    if (++RetryCount[id] > 20) return 0;
    return FindAddressRow(address, Grid);
  }
  return 0;
}

int upgradeTool::ProgramBlocks(int variant) {
  if (Port.Read() != 0) return 1;
  const int rows = Grid.RowCount();
  TotalSent = 0;
  // Blocks are the image's rows: their size is the one the loader cut them to.
  const int n = Grid.BlockSize();
  for (int id = 1; id <= kLastId; ++id) RetryCount[id] = 0;

  int devices = 0;
  for (int id = 1; id <= kLastId; ++id)
    if (Selected[id] && Present(id) && StepOk[id]) ++devices;
  if (devices == 0) {
    LogRed(QStringLiteral("   No Inverter to Program"));
    return 1;
  }
  // Nothing to send, or no boot speed to pace the stream by: refused before
  // the first block.
  if (Grid.ImageRows() == 0 || n <= 0) {
    LogRed(QStringLiteral("   No Image Data to Program"));
    return 1;
  }
  const int wait = BlockWaitMs(n, Info.BaudRate, Info.AttemptDelay, devices);
  if (wait < 0) {
    LogRed(QStringLiteral("   Baud Rate Error: %1").arg(Info.BaudRate));
    return 1;
  }

  // Reads what is queued and serves a retry request in it: the row to resend
  // from, 0 for none, -1 for an address beyond the image, -2 on a port failure.
  const auto readAndServe = [this, variant]() {
    if (Port.Read() != 0) return -2;
    return ServeRetryRequest(variant);
  };

  // The streaming variant leaves out the rows without a number from the first on.
  int row = variant == 0 ? Grid.FirstNumberedRow() : 1;
  int k = 0;
  ProgramBlock block;
  for (;;) {
    // Serve a retry request as soon as a whole one has arrived.
    while (Port.InQueue() >= kRetryRequestBytes) {
      const int r = readAndServe();
      if (r == -2) return 1;
      if (r == -1) {
        Log(QStringLiteral("Retry Address Error"));
        return 1;
      }
      if (r >= 1) {
        Pause(500);
        k = 0;
        row = r;
        break;
      }
    }

    if (ReadProgramBlock(row, block, Grid, n, Info.StopAddress) != 0) {
      // The image has ended: a request that arrives meanwhile still rewinds it.
      Pause(5000);
      if (Port.InQueue() < kRetryRequestBytes) break;
      const int r = readAndServe();
      if (r == -2) return 1;
      if (r < 1) break;
      Pause(500);
      row = r;
      if (ReadProgramBlock(row, block, Grid, n, Info.StopAddress) != 0) break;
    }

    const int sent = variant == 1 ? SendBlock10(block.Address, block.Data.data(), n)
                                  : SendBlock20(block.Address, block.NextAddress, block.Data.data(), n);
    if (sent != 0) return 1;

    // Paced by the block's time on the line; the window keeps working.
    const auto until = LineNow() + std::chrono::milliseconds(wait);
    while (LineNow() < until) {
      ProcessEvents();
      std::this_thread::yield();
    }

    TotalSent += n;
    ReportBlock(row, rows, block.Address, n);
    ProcessEvents();

    ++row;
    if (variant == 0)
      while (Grid.HasAddress(row) && Grid.Number(row) == 0) ++row;

    // Empty the receive queue now and then, but a retry request in it is
    // served, not thrown away.
    if (++k >= kBlocksPerQueueRead) {
      k = 0;
      if (Port.Read() != 0) return 1;
      if (Port.RxCount >= kRetryRequestBytes) {
        const int r = ServeRetryRequest(variant);
        if (r == -1) {
          Log(QStringLiteral("Retry Address Error"));
          return 1;
        }
        if (r >= 1) {
          Pause(500);
          row = r;
        }
      }
    }
  }

  return variant == 1 ? EndStream(Info.Length10, QStringLiteral("TX Total Length Error(0x10"))
                      : EndStream(Info.Length20, QStringLiteral("TX Total Length Error(0x20)"));
}

int upgradeTool::FindChecksumAck(int id, int expected) {
  const int n = Port.RxCount;
  for (int i = boot::NextChecksumReply(Port.RxBuf, n, id, 0); i >= 0;
       i = boot::NextChecksumReply(Port.RxBuf, n, id, i + 1)) {
    const int sum = Port.RxBuf[i + 7] | Port.RxBuf[i + 8] << 8;
    Log(IdText(id) + QStringLiteral(": INV_CheckSUM - 0x") + HexDigits(static_cast<std::uint32_t>(sum), 4));
    if (Port.RxBuf[i + 5] == boot::kCloseBank && sum == expected) return 0;
  }
  return 1;
}

namespace {

// The bank-close request with the byte count sent, addressed as given.
int BuildCloseBank(upgradeTool& t, std::uint16_t address) {
  std::uint8_t payload[5] = {0x00};
  boot::PutLe32(payload + 1, static_cast<std::uint32_t>(t.TotalSent));
  return boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, address, 6, boot::kCloseBank, payload, 5);
}

}  // namespace

namespace {

// The bank-close tries of one device with the request in the transmit
// buffer: 0 when it confirmed the expected checksum, 1 when every try
// failed, -1 on a port failure. The OK line's text differs by caller.
int CloseBankTries(upgradeTool& t, int id, int expected, const QString& okText) {
  for (int k = 0; k < kCloseTries; ++k) {
    t.Pause(20);
    if (t.Port.Write(t.FrameLength) != 0) return -1;
    t.Pause(500);
    if (t.Port.Read() != 0) return -1;
    t.LogRx(t.Port.RxBuf, t.Port.RxCount);
    if (t.FindChecksumAck(id, expected) == 0) {
      t.Log(IdText(id) + okText);
      t.StepOk[id] = 1;
      return 0;
    }
    t.LogRed(IdText(id) + QStringLiteral(": Check SUM CRC& Bank Close Error"));
    t.StepOk[id] = 0;
  }
  return 1;
}

}  // namespace

int upgradeTool::CloseBank(int id, HexInfo info) {
  if (Port.Read() != 0) return 1;
  FrameLength = BuildCloseBank(*this, boot::kBroadcastId);
  Log(QStringLiteral("   PC_CheckSUM - 0x") + HexDigits(static_cast<std::uint32_t>(info.Crc10), 4));
  return CloseBankTries(*this, id, info.Crc10, QStringLiteral(": Check SUM CRC & Bank Close OK")) == 0 ? 0 : 1;
}

int upgradeTool::CloseBankSelected(HexInfo info) {
  if (Port.Read() != 0) return 1;
  Log(QStringLiteral("   PC_CheckSUM - 0x") + HexDigits(static_cast<std::uint32_t>(info.Crc20), 4));
  for (int id = 1; id <= kLastId; ++id) {
    if (!InBroadcastRun(id, true)) continue;
    FrameLength = BuildCloseBank(*this, static_cast<std::uint16_t>(id));
    // A device that fails its tries only leaves the run.
    if (CloseBankTries(*this, id, info.Crc20, QStringLiteral(": Check SUM CRC& Bank Close OK")) < 0) return 1;
  }
  return 0;
}
