#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

#include "link/Rs232.h"
#include "upgrade/DeviceGrid.h"
#include "upgrade/HexInfo.h"
#include "upgrade/ImageGrid.h"

class Modbus;
class UpgradeViews;

// A hardware or software version: shown as Major "." Minor/10 Minor%10 and
// compared as Major * 100 + Minor.
struct VersionPair {
  std::int32_t Major = 0;
  std::int32_t Minor = 0;
  int Value() const { return Major * 100 + Minor; }
};

// Firmware-upgrade state. One object, Upgrader, serves the whole run: it is
// made at program start, before the main window, with every number 0 and
// every text empty; the firmware page fills it when first used.
//
// Every operation runs on the GUI thread and returns 0 when done, 1 when it
// failed, unless its comment says otherwise. "Log" is the upgrade log view
// (List_UpgradeEvent) through Views.
class upgradeTool {
 public:
  static constexpr int kIds = 254;  // bus IDs 1 to 253; entry 0 unused
  static constexpr int kLastId = 253;
  // Largest image the loaders take (image bytes, or file bytes for BIN), and
  // the largest HEX file and record count, so that no file can exhaust memory.
  static constexpr std::int64_t kMaxImageBytes = 16 * 1024 * 1024;
  static constexpr std::int64_t kMaxHexFileBytes = 64 * 1024 * 1024;
  static constexpr std::int64_t kMaxHexRecords = kMaxImageBytes / 8;

  upgradeTool() = default;
  upgradeTool(const upgradeTool&) = delete;
  upgradeTool& operator=(const upgradeTool&) = delete;

  // --- state ----------------------------------------------------------------
  HexInfo Info;
  // The firmware page's labels, logs, boxes and start button; null shows nothing.
  UpgradeViews* Views = nullptr;
  // The loaded image (Grid_HEX) and the device grid (Grid_Dev).
  ImageGrid Grid;
  DeviceGrid DevGrid;
  // The main window's link, set when the firmware page takes the port over.
  Modbus* Link = nullptr;
  // The link's open serial port: a copy that shares the one descriptor with
  // Link->Port (never a stale one), with buffers of its own for the
  // bootloader frames.
  Tcomm Port;

  // Device table, by bus ID (1 to 253; entry 0 unused).
  std::uint8_t DeviceId[kIds] = {};   // the ID itself when present, else 0
  std::int32_t GridRow[kIds] = {};    // row in Grid_Dev, 0 = not shown
  std::uint8_t Selected[kIds] = {};   // 1 = to be programmed
  std::uint8_t StepOk[kIds] = {};     // 1 = acknowledged its last bootloader step
  std::int32_t CurrentId = 0;         // device of the running one-device procedure
  std::int32_t FrameLength = 0;       // bytes of Port.TxBuf the next write sends
  std::int32_t NormalMode[kIds] = {};   // 1 = application runs ("Normal"), 0 = "Boot"
  std::int32_t BootVersion[kIds] = {};  // bootloader version; 2 when it did not answer
  VersionPair HwVersion[kIds][kProcessorCount] = {};
  VersionPair SwVersion[kIds][kProcessorCount] = {};
  char SerialNumber[kIds][17] = {};
  char ModelName[kIds][11] = {};
  std::int32_t DevicePid[kIds] = {};
  std::int32_t BaudIndex[kIds] = {};
  // Whether ReadDeviceInfo read the device's information in this load; a
  // device whose information was not read is never selected.
  std::uint8_t InfoRead[kIds] = {};
  std::int32_t RetryCount[kIds] = {};
  std::uint32_t RetryAddress = 0;
  std::int32_t TotalSent = 0;

  bool Present(int id) const { return id >= 1 && id <= kLastId && DeviceId[id] == id; }
  // Devices the broadcast steps address: selected, present, with a
  // bootloader that takes broadcasts, and (after entering the bootloader)
  // still in the run.
  bool InBroadcastRun(int id, bool needStepOk) const {
    return Present(id) && Selected[id] == 1 && BootVersion[id] >= 3 && (!needStepOk || StepOk[id] == 1);
  }
  // No device is selected any more (what a new image's load starts from).
  void ClearSelection();

  // --- pauses and window messages -------------------------------------------
  // Pauses of 1,000 ms or more go to LongPause when it is set (the tests make
  // them instant and record them); shorter ones wait on the line's clock
  // (link/LineClock.h): a sleep on a real port.
  std::function<void(int ms)> LongPause;
  void Pause(int ms);
  void ProcessEvents();

  // --- loading (ImageLoad.cpp) ------------------------------------------------
  // Empties the descriptor labels and the image grid before a load.
  void ClearPage();
  // Loads an Intel HEX file into Grid and Info. 0 on success, 1 on failure
  // (with its reason in the upgrade log or a message box; a file that cannot
  // be opened fails without one).
  int LoadHex(const QString& path);
  int LoadHexData(const QByteArray& text);
  // Loads a binary image: 128-byte blocks from 0x80000000 on. 0 or 1.
  int LoadBin(const QString& path);
  int LoadBinData(const QByteArray& bytes);

  // --- device table (DeviceTable.cpp) -----------------------------------------
  int InitDevices();
  int QueryModes();
  int ReadDeviceInfo();
  int ShowDeviceGrid();
  int ToggleDevice(int row);
  int CheckDevice(const HexInfo& info, int id);
  int SelectDevices();
  int CheckSoftwareVersion(int id, int expected, int processor);

  // --- bootloader steps (Bootloader.cpp) --------------------------------------
  // Sends FrameLength bytes of Port.TxBuf and waits for a reply with a valid CRC.
  int Exchange(int tries, int gapMs);
  int EnterBootMode1(int id);
  int EnterBootMode2(int id);
  int EnterBoot(int id);
  int EnterBootSelected();
  int SelectProcessor(int id, int processor);
  int SelectProcessorSelected(int processor);
  int SelectBank(int id, std::uint32_t address);
  int SelectBankSelected(std::uint32_t address);

  // --- block programming (Programming.cpp) ------------------------------------
  // variant 1: one device, command 0x10; variant 0: the selected devices, 0x20.
  int ProgramBlocks(int variant);
  int SendBlock10(std::uint32_t address, const std::uint8_t* data, int n);
  int SendBlock20(std::uint32_t address, std::uint32_t next, const std::uint8_t* data, int n);
  // The grid row to resend from (1 or more), 0 when there is none to serve,
  // -1 when the requested address lies beyond the image.
  int ServeRetryRequest(int variant);
  int CloseBank(int id, HexInfo info);
  int CloseBankSelected(HexInfo info);
  int FindChecksumAck(int id, int expected);

  // --- serial procedures (SerialProcedures.cpp) -------------------------------
  int UpgradeDevice(int id);
  int RunBootProcedure();
  int RunV02Procedure();
  int RunV03Procedure();
  int RunBinProcedure();
  int FindDoneAck(int id);
  int FinishDevice(int id, HexInfo info);
  int FinishSelected(HexInfo info);
  // Sets the link speed from Info.BaudRate (4,800 to 38,400); any other value
  // leaves it.
  void SetBootSpeed();

  // --- TCP upgrade (TcpUpgrade.cpp) -------------------------------------------
  int RunTcpProcedure();
  int TcpQueryProductId(int id);
  int TcpEnterBootMode1(int id);
  int TcpEnterBootMode2(int id);
  int TcpSelectProcessor(int id, int processor);
  int TcpSelectBank(int id, std::uint32_t address);
  int TcpCloseBank(int id);
  int TcpFinish(int id);
  int TcpSendBlock(int id, std::uint32_t address, std::uint32_t next, const std::uint8_t* data, int n);
  int TcpProgramBlocks(int id);
  int TcpPollProgress(int id, int& percent);

  // What the stream shows after each block (status bar address and share,
  // progress), and its end: the bytes sent checked against the image's
  // length for the variant, "TX Total Length Error..." (shortText) when
  // fewer, else the length taken as sent and 100 %. 0 or 1.
  void ReportBlock(int row, int rows, std::uint32_t address, int n);
  int EndStream(std::int32_t length, const QString& shortText);

  // Log lines of the upgrade log view and the traffic log.
  void Log(const QString& line);
  void LogRed(const QString& line);
  void LogTraffic(const QString& line);  // traffic-log append into the upgrade log
  void LogEvent(const QString& line);    // List_Event
  void LogRx(const std::uint8_t* bytes, int n);
  void Message(const QString& text);

 private:
  void BeginLoad();
};

extern upgradeTool* Upgrader;

// "   ID" and the bus ID: how a device's lines begin.
QString IdText(int id);

// "0x" and up to eight hex digits to its 32-bit value (values from
// 0x80000000 wrap to negative); 0 for text that is no such number.
std::int32_t HexTextToInt(const QString& text);

// The wait after each streamed block, in ms: the time of n + 12 bytes at the
// boot speed, the image's delay and a margin of 5 ms for one device in the
// run, 50 ms for more. -1 when there is no boot speed to pace by.
int BlockWaitMs(int n, int baudRate, int attemptDelay, int devices);
