#pragma once
#include <QPlainTextEdit>
#include <QString>

#include <cstdint>

class QTableWidget;

// A running log view: one appended text per line.
class LogView : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit LogView(QWidget* parent = nullptr);
  int LineCount() const { return document()->blockCount() - (document()->isEmpty() ? 1 : 0); }
};

// Appends one line to the traffic log; empties the view first when it holds
// more than 5,000 lines. Processes no events. 0 when added, 1 on failure.
int AppendTrafficLog(LogView* view, const QString& text);

// Upgrade-log lines: appended in the view's current colour (or in red),
// scrolled into view and shown at once (pending events are processed, so any
// handler may run inside). No line limit. Return 0.
int AppendRichLine(LogView* view, const QString& text);
int AppendRichLineRed(LogView* view, const QString& text);

// Dumps received bytes as one line "   Rx: 01 A5 ...". Refuses (returns 1,
// writes nothing) more than 4,096 bytes or a negative count; 0 when written.
int LogRxBytes(LogView* view, const std::uint8_t* bytes, int count);
// Transmitted frames are never dumped into the upgrade log: writes nothing, returns 0.
int LogTxBytes(LogView* view, const std::uint8_t* bytes, int count);

// A string grid keeps its header in row 0. Returns the first row from 1 on
// whose column-0 cell equals text exactly, or 0 when none does.
int FindGridRow(const QString& text, const QTableWidget* grid);
// Appends one line per data row: "<header>:<cell>, " for the columns 2 to 8.
int DumpGridToLog(const QTableWidget* grid, LogView* view);
