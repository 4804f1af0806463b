#pragma once
#include <cstdint>

// 1 while the data log records. Closing the link ends the recording.
extern uint8_t DataLogActive;
