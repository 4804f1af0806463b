#pragma once
// The inverters' bootloader on the simulated bus: the framed requests the
// upgrade sends (device information, entering the bootloader, processor and
// bank selection, program blocks, bank close, done) over the pty and over the
// loopback TCP line, with the faults the upgrade has to survive.
//
// Request: ID low, ID high, FF, FF, length L (1 + payload), command, payload,
// CRC-16/MODBUS (low, high). The TCP progress poll (command 0x90) carries one
// zero byte after the command although its L is 1 (9 bytes).
// Reply:   FF, FF, ID low, ID high, L, command, payload, CRC.
// Error:   the request's command with bit 7 set, L = 1 (0x83/0x84 followed
//          by the processor byte before the CRC).
// Requests to 0xE000 (bytes 00 E0) reach every slave in the bootloader that
// hears them; each answers with its own ID, one reply after the other. The
// device's line faults (SimInverter::QueueFault, SetStandingFault) apply to
// an answer as a whole, all slaves' replies to one broadcast together.
//
// Serial line (pty): program blocks are never acknowledged; a device asks for
// a block again with a 12-byte retry request (FF FF, ID, 00, 05, 0x90 or
// 0xA0, address, CRC). TCP line: each 0x20 block is acknowledged with L 5,
// command 0xA0 and the block address; a 0x90 poll is answered with L 1,
// command 0x90 and the progress percent (9 bytes).
//
// A slave whose application runs answers only 0x00-0x06, 0x16 and the poll;
// 0x11-0x14 and program blocks need the bootloader (0x05 with the mode-1
// sequence, then 0x06 with the mode-2 sequence), blocks also a bank select.
// While a slave is in the bootloader its Modbus registers do not answer.
#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "sim/SimInverter.h"

namespace sim {

inline constexpr int kBootBroadcastId = 0xE000;

// The payloads of the enter-bootloader requests (0x05, then 0x06); any other
// payload is refused with an error reply.
inline constexpr std::array<uint8_t, 7> kBootMode1Key = {0x51, 0x6F, 0x72, 0x42, 0x6F, 0x6F, 0x74};
inline constexpr std::array<uint8_t, 7> kBootMode2Key = {0xB0, 0x07, 0x4C, 0x6F, 0x61, 0x64, 0x21};

// A request as the tool builds it. lengthByte < 0: 1 + payload size; the
// progress poll is BootRequest(1, 0x90, Bytes({0}), 1).
QByteArray BootRequest(int address, int command, const QByteArray& payload = {}, int lengthByte = -1);
// A reply as a device sends it (same rule for lengthByte).
QByteArray BootReply(int id, int command, const QByteArray& payload = {}, int lengthByte = -1);
// The little-endian bytes of a 32-bit value, for payloads.
QByteArray Le32Bytes(uint32_t v);

struct VersionPair {
  int major = 0, minor = 0;
};

// The bootloader side of one slave ID; the slave's Modbus registers, product
// ID and line speed stay in SimInverter::Slave. Every slave on the bus has one,
// with these defaults until a test configures it.
struct BootDevice {
  // --- what the device is ---
  int bootVersion = 3;      // first payload byte of the 0x16 reply; 0 = 0x16 goes unanswered
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

// Adds the bootloader to a simulated inverter: its framing goes first (it also
// serves command 0x00, the ID scan's probe, so no IdProbeProtocol is needed)
// and the slaves in the bootloader stop answering Modbus. May be destroyed
// before or after the device.
class SimBootloader {
 public:
  explicit SimBootloader(SimInverter& dev);
  ~SimBootloader();
  SimBootloader(const SimBootloader&) = delete;
  SimBootloader& operator=(const SimBootloader&) = delete;

  // Thread-safe against the device's line thread. change must not call into
  // the SimInverter.
  BootDevice Snapshot(int id) const;
  void Configure(int id, const std::function<void(BootDevice&)>& change);

  struct State;  // shared with the framing the device owns

 private:
  std::shared_ptr<State> state_;
};

}  // namespace sim
