#pragma once
#include <QList>
#include <QString>

class Modbus;
class TForm_Main;

// One row of profile/ConfigModel.csv. The fields keep the widths the
// Windows program stores them in; longer model fields are cut there.
struct ConfigArch {
  static constexpr int kNameWidth = 29;
  static constexpr int kAddressWidth = 19;
  static constexpr int kExtraWidth = 19;
  QString Name;
  QString Address;
  QString Extra;
};

// The model rows of a file's lines in file order; blank lines give no row.
QList<ConfigArch> ParseConfigModel(const QStringList& lines);

// The model file: profile/ConfigModel.csv in the program folder.
QString ConfigModelPath();

// Makes sure ConfigLog/ exists and gives ConfigLog/Config_ID<id>.csv.
QString ConfigLogFileName(int id);

// The new file a dump is written to, beside the one it is to replace.
QString ConfigLogPartName(const QString& fileName);

enum class ConfigLogResult {
  Written,     // every row is in the file
  NoModel,     // profile/ConfigModel.csv could not be read
  NotOpened,   // the output file could not be created or replaced
  LinkFailed,  // the link failed before every row was read
  WriteFailed, // the file could not take a row
};

// Reads the registers the model lists from the link's current slave and
// writes name, number and value lines to the file. The lines go to a new file
// that takes the old one's place only when it is complete: unless the result
// is Written, the file is as it was before.
ConfigLogResult WriteConfigLog(const QString& fileName, Modbus& link);

// The dump of every listed inverter, as the command executor runs it.
void RunConfigDump(TForm_Main& f);
