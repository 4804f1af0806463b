#pragma once
#include <QString>

class Modbus;
class TForm_Main;

// Makes sure ConfigLog/ exists and gives ConfigLog/OnSiteRepair.csv, one
// file for every inverter (the serial number does not enter the name).
QString RepairLogFileName(const QString& serialNumber);

enum class RepairLogResult { Written, NotOpened, LinkFailed, WriteFailed };

// Appends one repair row for the current inverter, the header first when the
// file is new. The installation date is read before anything is written, and
// the row goes out whole or not at all.
RepairLogResult WriteRepairLog(TForm_Main& f, const QString& fileName, Modbus& link);

// The record as the command executor runs it, with its closing message.
void RunOnSiteRepair(TForm_Main& f);

// Binds the on-site repair button.
void BindOnSiteRepair(TForm_Main& f);
