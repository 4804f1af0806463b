#pragma once

// The one Modbus master of the tool over the current link.
class Modbus {
 public:
  Modbus();
};
