#pragma once
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class UpgradeViews;

// One image record: a data record of a HEX file (at most 64 bytes) or one
// 128-byte block of a BIN file, in file order.
struct HexStruct {
  static constexpr int kHexCapacity = 64;   // data bytes of one HEX record
  static constexpr int kBinCapacity = 128;  // one BIN block
  // Data past Length is left unset: a 1 MB image makes tens of thousands.
  HexStruct() {}
  std::uint32_t Address = 0;
  std::array<std::uint8_t, kBinCapacity> Data;
  std::int32_t Length = 0;
};

// Descriptor of the loaded image, parsed from its 27-byte meta block. Texts
// are "0x" and upper-case hex digits; all zero/empty until the first parse.
struct HexInfo {
  std::uint8_t MetaVersionMajor = 0;
  std::uint8_t MetaVersionMinor = 0;
  QString ProductId;
  std::int32_t Processor = 0;
  std::int32_t HwVersionMajor = 0;
  std::int32_t HwVersionMinor = 0;
  std::int32_t SwVersionMajor = 0;
  std::int32_t SwVersionMinor = 0;
  QString StartAddress;
  QString StopAddress;
  std::int32_t EraseSize = 0;
  std::int32_t ProgramSize = 0;
  QString FillValue;
  QString Checksum;
  std::int32_t Delay = 0;
  std::int32_t AttemptDelay = 0;
  std::int32_t BaudRate = 0;
  std::int32_t Length10 = 0;
  std::int32_t Crc10 = 0;
  std::int32_t Length20 = 0;
  std::int32_t Crc20 = 0;
};

inline constexpr std::array<std::uint8_t, 7> kMetaMarker1 = {0xA3, 0x19, 0x5E, 0xD2, 0x07, 0x8B, 0x61};
inline constexpr std::array<std::uint8_t, 7> kMetaMarker2 = {0x2D, 0xB4, 0x90, 0x6A, 0xE8, 0x13, 0xC7};
inline constexpr int kMetaBlockSize = 27;

// Limits the bootloader procedures rely on; a meta block outside them is refused.
inline constexpr int kProcessorCount = 10;      // version tables hold processors 0 to 9
// The boot speeds the link can be set to (baud indices 0 to 3).
inline constexpr std::array<int, 4> kBootBauds = {4800, 9600, 19200, 38400};
inline constexpr int kMaxProgramSize = 246;     // data bytes of one block frame

// Index of the record that holds the first marker, or -1 when the two markers
// are not found close enough together (the second within four records after
// the first, neither in record 0).
int FindMetaBlock(const std::vector<HexStruct>& records);

// Parses the meta block found from record index onward into info. Returns an
// empty text on success, otherwise why the block is refused (info unchanged).
QString ParseMetaBlock(HexInfo& info, int index, const std::vector<HexStruct>& records);

// value as `digits` upper-case hex digits, without "0x".
QString HexDigits(std::uint32_t value, int digits);

// A version as shown: major, ".", minor div 10, minor mod 10 (1 and 5 give 1.05).
QString VersionText(int major, int minor);

// Writes the descriptor's labels and the meta report. Returns 0.
int ShowMetaBlockInfo(UpgradeViews* views, const HexInfo& info);
