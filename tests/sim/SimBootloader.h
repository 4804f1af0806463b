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
#include <memory>

#include "sim/SimBootDevice.h"
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
