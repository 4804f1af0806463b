#include "link/Modbus.h"

Modbus::Modbus() = default;
