#pragma once
#include <array>
#include <cstdint>
#include <functional>

// The inverters' bootloader frames, free of any port or window: building a
// request and finding a device's reply among received bytes. Every search is
// bounded by the byte count it is given and tests a frame's CRC before it
// trusts it.
//
// Request: address (low, high), FF, FF, length L (1 + payload), command,
// payload, CRC-16/MODBUS (low, high) over everything before it.
// Reply:   FF, FF, bus ID (low, high), L, command, payload, CRC.
namespace boot {

inline constexpr std::uint16_t kBroadcastId = 0xE000;

// The payloads that let a running application hand over to its bootloader.
inline constexpr std::array<std::uint8_t, 7> kEnterBootMode1 = {0x51, 0x6F, 0x72, 0x42, 0x6F, 0x6F, 0x74};
inline constexpr std::array<std::uint8_t, 7> kEnterBootMode2 = {0xB0, 0x07, 0x4C, 0x6F, 0x61, 0x64, 0x21};

// Commands.
enum : std::uint8_t {
  kReadProductId = 0x00,
  kReadSerial = 0x01,
  kReadModel = 0x02,
  kReadHwVersion = 0x03,
  kReadSwVersion = 0x04,
  kEnterMode1 = 0x05,
  kEnterMode2 = 0x06,
  kProgram10 = 0x10,
  kSelectProcessor = 0x11,
  kSelectBank = 0x12,
  kCloseBank = 0x13,
  kDone = 0x14,
  kReadBootVersion = 0x16,
  kProgram20 = 0x20,
  kRetry90 = 0x90,  // serial: retry request; TCP: progress poll
  kRetryA0 = 0xA0,  // serial: retry request; TCP: block acknowledgement
};

// Writes a request into buf (cap bytes): address, FF FF, lengthByte,
// command, the payload and the CRC. lengthByte is given apart because the
// block frames carry only its low 8 bits and the TCP progress poll carries
// one byte more than it says. Returns the frame's size, 0 when it does not fit.
int BuildRequest(std::uint8_t* buf, int cap, std::uint16_t address, std::uint8_t lengthByte, std::uint8_t command,
                 const std::uint8_t* payload, int payloadBytes);

// A program-block request to `to`: command 0x10 carries the block address and
// n data bytes, 0x20 also the next address; the length byte keeps its low 8
// bits. n is at most 256. Returns the frame's size, 0 when it is not built.
int BuildBlockRequest(std::uint8_t* buf, int cap, std::uint16_t to, std::uint8_t command, std::uint32_t address,
                      std::uint32_t next, const std::uint8_t* data, int n);

// Little-endian 32-bit value at p.
inline std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Whether the len bytes from i are followed by their CRC (low, high), all
// within the n received bytes.
bool CrcAt(const std::uint8_t* rx, int n, int i, int len);
// Whether the whole of rx (at least 3 bytes) ends with the CRC of the bytes before it.
bool EndsWithCrc(const std::uint8_t* rx, int n);

// The searches below test every start position from `from` on and return
// the first one whose frame passes, or -1.

// Enter-bootloader acknowledgement of device id (mode 1 or 2): ID as 16 bits,
// CRC over 6 bytes. ok tells whether it is the mode's OK (length 1 and
// command 0x05/0x06) rather than another valid frame, which is an error.
int FindEnterBootReply(const std::uint8_t* rx, int n, int id, int mode, bool& ok);
// Select-processor (length 2, 0x11) and select-bank (length 6, 0x12)
// acknowledgements of device id.
int FindProcessorReply(const std::uint8_t* rx, int n, int id);
int FindBankReply(const std::uint8_t* rx, int n, int id);
// A length-4 frame of device id with a valid CRC over 9 bytes: a bank-close
// acknowledgement candidate (the caller tests command and checksum).
int NextChecksumReply(const std::uint8_t* rx, int n, int id, int from);
// Done acknowledgement of device id: length 2, command 0x14, CRC over 7 bytes.
int FindDoneReply(const std::uint8_t* rx, int n, int id);
// A device's 12-byte retry request (length 5, command 0x90 or 0xA0, CRC over
// 10 bytes) from a device that accept(id) takes.
int NextRetryRequest(const std::uint8_t* rx, int n, int from, const std::function<bool(int id)>& accept);

// The software-version reply of the version check at the start of rx: FF FF,
// length 4, command 0x04, the processor, then minor and major; with its CRC.
bool IsSwVersionReply(const std::uint8_t* rx, int n, int processor);
// A reply at the start of rx with the header FF FF, the 16-bit ID, the length
// and the command, whole within n bytes (its CRC is not part of the test: the
// Wi-Fi module's replies are taken as they come).
bool IsReplyAtStart(const std::uint8_t* rx, int n, int id, int length, int command);

}  // namespace boot
