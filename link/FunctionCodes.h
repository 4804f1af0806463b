#pragma once
#include <cstdint>

// The Modbus function codes the tool sends, named once for every panel,
// dump and command that builds a request (see Modbus::Request).
inline constexpr uint8_t kReadCoils = 1;
inline constexpr uint8_t kReadHolding = 3;
inline constexpr uint8_t kReadInput = 4;
inline constexpr uint8_t kWriteCoil = 5;
inline constexpr uint8_t kWriteRegister = 6;
