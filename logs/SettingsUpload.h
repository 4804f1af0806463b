#pragma once
#include <QString>

#include "app/main.h"

class Modbus;

// One setting of an upload file: the line's name, register and 16-bit value.
// A bit-test line's value names one bit and its wanted state (bit 15 the
// state, the highest of bits 0 to 14 the bit).
struct UploadLine {
  QString name;
  int reg = 0;
  uint16_t value = 0;
  bool bitTest = false;
};

enum class UploadLineKind {
  Setting,   // a register and a value to write
  Skipped,   // fewer than three fields, or a register outside 1 to 65,536
  BadValue,  // a register, but a value no register can hold: not a whole
             // number (decimal, "0x" or "$" hexadecimal, after a "b" bit-test
             // mark) from -32,768 to 65,535. Name and register are filled.
};

// What a line of an upload file holds.
UploadLineKind ParseUploadLine(const QString& line, UploadLine& out);

// Whether a register content counts as holding the line's value.
bool RegisterHolds(const UploadLine& line, uint16_t content);

// Writes the file's settings to every inverter of the list where they
// differ, each write read back. Lines whose value no register can hold are
// left out on every inverter and named at the end in place of "Done".
// Returns 0 when every line was worked through, 1 when the upload stopped
// early (a refused value, a reply that could not be used, a failed link).
// Shows its own messages.
int UploadSettingsCsv(Modbus& link, InverterListRec inverters, const QString& fileName);

// The upload as the command executor runs it: the file chosen, then sent.
void RunSettingsUpload(TForm_Main& f);
