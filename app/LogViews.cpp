#include "app/LogViews.h"

#include <QMetaObject>
#include <QScrollBar>

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
}

int AppendTrafficLog(LogView* view, const QString& text) {
  if (!view) return 1;
  if (view->LineCount() > 5000) view->clear();
  view->appendPlainText(text);
  // Scroll once the event loop runs, as a posted request would.
  QMetaObject::invokeMethod(
      view, [view] { view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum()); },
      Qt::QueuedConnection);
  return 0;
}
