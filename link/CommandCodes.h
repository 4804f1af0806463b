#pragma once

// The command mailbox's vocabulary: what a handler puts into CmdCode of the
// link object to have the executor do it between two polling passes.
// CmdRegister, CmdValue and CmdValue2 carry what each code needs.
enum CommandCode : int {
  CmdNone = 0,
  CmdWriteCoil = 5,          // coil CmdRegister := CmdValue (1 means ON)
  CmdWriteRegister = 6,      // register CmdRegister := CmdValue
  CmdConstVoltOn = 10,       // constant-voltage operation on
  CmdVoltCaliHigh = 20,      // calibration entries; their device action
  CmdVoltCaliLow = 21,       // comes with the calibration editors
  CmdBroadcastCoil = 25,     // code 5 to every listed inverter
  CmdBroadcastRegister = 26, // code 6 to every listed inverter
  CmdCurrCaliHigh = 30,
  CmdCurrCaliLow = 31,
  CmdBatteryWindow = 36,     // CmdRegister := CmdValue, CmdRegister + 1 := CmdValue2
  CmdEnergyReset = 40,       // energy and runtime reset
  CmdReturnToDefault = 41,
  CmdPowerLimit2500 = 42,
  CmdVoltRedCaliHigh = 50,
  CmdPowerCaliHigh = 60,     // power calibration has codes of its own, so a
  CmdPowerCaliLow = 61,      // calibration entry can never run a reset
  CmdWriteRegisterCurrent = 66, // code 6 to the current inverter alone, even
                                // with Broadcast chosen: its bus ID
  CmdGridUnlock = 166,
  CmdLifeEnergy = 300,       // 32-bit value: CmdValue low word, CmdValue2 high word
  CmdSerialNumber = 311,     // PostedSerialNumber, captured when posted
  CmdSyncClock = 400,
  CmdReadEnergy = 410,
  CmdWriteEnergy = 411,
  CmdDryContactOn = 417,
  CmdDryContactOff = 418,
  CmdConfigDump = 420,
  CmdSettingsUpload = 421,
  CmdOnSiteRepair = 440,
  CmdMaxPowerAll = 595,      // watts (CmdValue low word, CmdValue2 high word) to
                             // CmdRegister of every listed inverter
  CmdScanIds = 600,
  CmdSunSpecMap = 800,
  CmdNativeMap = 801,
};
