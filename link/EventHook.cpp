#include "link/EventHook.h"

#include <QApplication>
#include <QWidget>

void OnExit(QWidget* control, std::function<void()> fn) {
  if (!control) return;
  QObject::connect(qApp, &QApplication::focusChanged, control,
                   [control, fn = std::move(fn)](QWidget* old, QWidget* now) {
                     if (old == control && now && now->window() == control->window()) fn();
                   });
}
