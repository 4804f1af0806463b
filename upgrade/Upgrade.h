#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>

#include "upgrade/HexInfo.h"
#include "upgrade/ImageGrid.h"

class UpgradeViews;

// Firmware-upgrade state. One object, Upgrader, serves the whole run: it is
// made at program start, before the main window, with every number 0 and
// every text empty; the firmware page fills it when first used.
class upgradeTool {
 public:
  static constexpr int kIds = 254;  // bus IDs 1 to 253; entry 0 unused
  // Largest image the loaders take (image bytes, or file bytes for BIN), and
  // the largest HEX file and record count, so that no file can exhaust memory.
  static constexpr std::int64_t kMaxImageBytes = 16 * 1024 * 1024;
  static constexpr std::int64_t kMaxHexFileBytes = 64 * 1024 * 1024;
  static constexpr std::int64_t kMaxHexRecords = kMaxImageBytes / 8;

  upgradeTool() = default;
  upgradeTool(const upgradeTool&) = delete;
  upgradeTool& operator=(const upgradeTool&) = delete;

  HexInfo Info;
  // The firmware page's labels, logs, boxes and start button; null shows nothing.
  UpgradeViews* Views = nullptr;
  // The loaded image (Grid_HEX).
  ImageGrid Grid;

  // Device table, by bus ID: the ID itself when present, else 0; the
  // bootloader version (2 when the device did not answer the query).
  std::uint8_t DeviceId[kIds] = {};
  std::int32_t BootVersion[kIds] = {};

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

 private:
  void BeginLoad();
  void Log(const QString& line);
  void Message(const QString& text);
};

extern upgradeTool* Upgrader;
