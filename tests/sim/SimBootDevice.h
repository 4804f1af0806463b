#pragma once
// The bootloader side of one simulated device: what it is, the faults it
// shows, and what it saw and holds, byte by byte. The bank's own rules (a
// bank select erases it, a program block writes its bytes at its address)
// live here, apart from any line, so that a harness can stream blocks into a
// device without a pty.
#include <QByteArray>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace sim {

struct VersionPair {
  int major = 0, minor = 0;
};

// The bootloader side of one slave ID; the slave's Modbus registers, product
// ID and line speed stay in SimInverter::Slave. Every slave on the bus has one,
// with these defaults until a test configures it.
struct BootDevice {
  // --- what the device is ---
  int bootVersion = 3;      // first payload byte of the 0x16 reply; -1 = 0x16 goes unanswered
  bool normalMode = true;   // the application runs (Modbus answers); false: in the bootloader
  int bootBaud = 0;         // pty: in the bootloader, hears only at this speed (0 = as the slave)
  QByteArray serial = "SN0000000000000A";  // 0x01, 16 characters
  QByteArray model = "MODEL-SIM-00000A";   // 0x02, 16 characters (the tool keeps 10)
  std::map<int, VersionPair> hw, sw;       // 0x03 / 0x04 by processor; others: error reply
  VersionPair swAfterDone;  // becomes sw[processor] at the done step
  int bank = 1;             // bank number in the select-bank and done replies
  // How the device sums what it received at bank close, over the blocks in
  // address order: Plain = one CRC-16/MODBUS run over all their data (the
  // HEX image's sums); BinChain = each block's CRC seeded with the previous
  // one, its bytes exchanged (the BIN image's sum).
  enum class Sum { Plain, BinChain } sum = Sum::Plain;
  // Data bytes per address unit of the blocks it takes (2 for an image whose
  // addresses count 16-bit words): where a block's bytes land in memory.
  int bytesPerAddress = 1;

  // --- faults (each entry is used up as it fires) ---
  std::map<int, int> silent;      // command -> that many requests left unanswered
  std::map<int, int> errorReply;  // command -> that many requests answered 0x80 | command
  int checksumDelta = 0;          // added to the checksum reported at bank close
  struct Retry {
    int afterBlocks = 0;     // sent in answer to the n-th program block since the bank select
    uint32_t address = 0;    // the block asked for again
    uint8_t command = 0x90;  // 0x90 or 0xA0
    bool standing = false;   // asked after every block from the n-th on, never used up
  };
  // Serial only; each sent once, then removed (unless standing). A device
  // that asks for an address drops what it holds from there on: until the
  // stream is sent again from there, its bank is incomplete.
  std::vector<Retry> retries;
  std::vector<int> progress = {100};  // TCP polls: percents in turn, the last one repeats
  std::set<uint32_t> nakOnce;     // TCP: blocks acknowledged once with a wrong address (address + 1)
  bool nakAlways = false;         // TCP: every block acknowledged with a wrong address
  // The line to the device goes down after its n-th program block since the
  // bank select (0 = never): that block is taken, then nothing is heard or
  // answered any more; on TCP every frame from then on closes the connection.
  int linkLostAfterBlocks = 0;

  // --- what the device saw ---
  bool mode1 = false;             // 0x05 accepted since the last done step
  int processor = -1;             // 0x11
  uint32_t bankStart = 0;         // 0x12
  bool bankSelected = false;
  std::map<uint32_t, QByteArray> programmed;  // block address -> data, last write wins (cleared by 0x12)
  // The bank as the blocks left it, byte by byte: data byte i of the block at
  // address a lies at byte position a × bytesPerAddress + i. Last write wins;
  // the bank select erases it.
  std::map<uint64_t, uint8_t> memory;
  std::vector<uint32_t> blocks;   // block addresses in arrival order since the bank select
  int polls = 0;                  // 0x90 progress polls answered
  uint32_t closedCount = 0;       // byte count of the last bank close
  int bankCloses = 0;
  bool done = false;
  bool linkLost = false;
};

// The checksum the device computes over what it has received (without
// checksumDelta): equals the image's Crc10 after a variant-0x10 run and its
// Crc20 after a variant-0x20 run.
uint16_t DeviceChecksum(const BootDevice& d);

// count bytes of the device's memory from byte position `from`; a position
// never written reads as `erased`.
QByteArray MemoryBytes(const BootDevice& d, uint64_t from, int count, uint8_t erased = 0xFF);

// The little-endian 32-bit value of b's four bytes from i.
uint32_t Le32At(const QByteArray& b, int i);

// A bank select from start: the bank is erased.
void SelectBank(BootDevice& d, uint32_t start);
// A program block request's payload (0x10: block address, data; 0x20: block
// address, next address, data) written into the bank; false when the device
// takes no block (no bank selected, no data).
bool TakeBlock(BootDevice& d, int command, const QByteArray& payload);

}  // namespace sim
