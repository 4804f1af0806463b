#pragma once
#include <QPlainTextEdit>
#include <QString>

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
