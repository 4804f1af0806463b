#include "app/LogViews.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextCharFormat>

#include "platform/ValueLabel.h"

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
}

namespace {
// Scrolls to the newest line once the event loop runs, as a posted request would.
void PostScrollToBottom(LogView* view) {
  QPointer<LogView> guard(view);
  QMetaObject::invokeMethod(
      view,
      [guard] {
        if (guard) guard->verticalScrollBar()->setValue(guard->verticalScrollBar()->maximum());
      },
      Qt::QueuedConnection);
}

// Appends in the view's current character format, then shows it at once.
void AppendShown(LogView* view, const QString& text) {
  view->appendPlainText(text);
  PostScrollToBottom(view);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QString Cell(const QTableWidget* grid, int column, int row) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}
}  // namespace

int AppendTrafficLog(LogView* view, const QString& text) {
  if (!view) return 1;
  try {
    if (view->LineCount() > 5000) view->clear();
    view->appendPlainText(text);
  } catch (...) {
    return 1;
  }
  PostScrollToBottom(view);
  return 0;
}

int AppendRichLine(LogView* view, const QString& text) {
  if (!view) return 0;
  AppendShown(view, text);
  return 0;
}

int AppendRichLineRed(LogView* view, const QString& text) {
  if (!view) return 0;
  const QTextCharFormat previous = view->currentCharFormat();
  QTextCharFormat red = previous;
  red.setForeground(QColor::fromRgb(clRed));
  view->setCurrentCharFormat(red);
  view->appendPlainText(text);
  view->setCurrentCharFormat(previous);
  PostScrollToBottom(view);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return 0;
}

int LogRxBytes(LogView* view, const std::uint8_t* bytes, int count) {
  if (count < 0 || count > 4096 || (count > 0 && !bytes)) return 1;
  static const char kHex[] = "0123456789ABCDEF";
  QString line = QStringLiteral("   Rx: ");
  line.reserve(7 + 3 * count);
  for (int i = 0; i < count; ++i) {
    line += QLatin1Char(kHex[bytes[i] >> 4]);
    line += QLatin1Char(kHex[bytes[i] & 0x0F]);
    line += QLatin1Char(' ');
  }
  if (view) AppendShown(view, line);
  return 0;
}

int LogTxBytes(LogView*, const std::uint8_t*, int) { return 0; }

int FindGridRow(const QString& text, const QTableWidget* grid) {
  if (!grid) return 0;
  for (int row = 1; row < grid->rowCount(); ++row)
    if (Cell(grid, 0, row) == text) return row;
  return 0;
}

int DumpGridToLog(const QTableWidget* grid, LogView* view) {
  if (!grid) return 0;
  for (int row = 1; row < grid->rowCount(); ++row) {
    QString line;
    for (int column = 2; column <= 8; ++column)
      line += Cell(grid, column, 0) + QLatin1Char(':') + Cell(grid, column, row) + QStringLiteral(", ");
    AppendRichLine(view, line);
  }
  return 0;
}
