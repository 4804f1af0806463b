#pragma once
// The data log's files: the dated CSV file under DataLog/, its header line
// and its rows. The cells come from what the monitoring views show; this file
// code reads them through DataLogScreen and includes no widgets.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <span>

// Where a header cell's text comes from.
enum class HeaderFrom {
  Text,     // the text given
  Caption,  // the caption of the label named
  Edit,     // the text of the edit named
};
struct DataLogHeaderCell {
  HeaderFrom from;
  const char* text;  // the text, or the control's name
};

// How a value label's caption becomes row cells.
enum class CellRule {
  Value,  // up to its first space or carriage return (230.5 V gives 230.5)
  Whole,  // the entire caption
  Date,   // year/month/day: three cells
  Time,   // hours:minutes:seconds: three cells
};
struct DataLogRowCell {
  const char* label;
  CellRule rule;
};

// One group panel of the log: both lines list its cells at its place in the
// group order, so a column's header always names its value.
struct DataLogGroup {
  const char* panel;
  std::span<const DataLogHeaderCell> header;
  std::span<const DataLogRowCell> row;
};

// Every group the log knows, in the order of the columns.
std::span<const DataLogGroup> DataLogGroups();

// The screen as the log sees it: which group panels are shown and the texts
// of labels and edits (empty for a control that does not exist).
class DataLogScreen {
 public:
  virtual ~DataLogScreen() = default;
  virtual bool GroupShown(const char* panel) const = 0;
  virtual QString LabelText(const char* name) const = 0;
  virtual QString EditText(const char* name) const = 0;
};

// The two lines, each with its CR LF, encoded for the file (Windows-1252).
QByteArray DataLogHeaderLine(const DataLogScreen& screen);
QByteArray DataLogRowLine(const DataLogScreen& screen, const QTime& time);

// The local date and time that names the files and stamps the rows, and the
// pause between attempts to open a file: tests replace them.
extern std::function<QDateTime()> DataLogClock;
extern std::function<void()> DataLogPause;

// Results of the writers.
enum DataLogResult {
  DataLogOk = 0,
  DataLogOpenFailed = 1,   // no attempt opened the file; nothing written
  DataLogWriteFailed = 2,  // opened but the line did not reach the disk; the file is as before
  DataLogMissing = 3,      // (rows) the file is gone; nothing written, nothing created
};

// Stores in name the first free name of today, DataLog/<y>.<m>.<d>_<NNN>.csv
// (NNN from 001 to 998), creating the folder when missing; 0 then. 1 when the
// folder cannot be made or all 998 names exist (name is left as it was).
int NewDataLogFileName(QString& name);

// Creates the file with the header line. A file of that name that exists
// already is never emptied: it counts as a failed open.
int WriteDataLogHeader(const DataLogScreen& screen, const QString& fileName);

// Appends one row to an existing log; a line that cannot be written whole is
// taken back, so the rows before it stay as they were.
int AppendDataLogRow(const DataLogScreen& screen, const QString& fileName);

// The recording interval from the prompt's answer, in ms: n seconds for a
// whole number n from 1 to 86,400, 2,000 for anything else but a longer one;
// -1 for a whole number above 24 hours.
int DataLogIntervalMs(const QString& answer);
