#pragma once
// What the user's keyboard and mouse hand a control, sent straight to it (no
// window needs to be on screen or focused).
#include <QApplication>
#include <algorithm>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace input {

inline void KeyClick(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods);
  QCoreApplication::sendEvent(w, &release);
}

// Press and release of one mouse button near the control's left edge, where
// a radio button or check box has its indicator.
inline void MouseClick(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF at(std::min(8.0, w->width() / 2.0), w->height() / 2.0);
  const QPointF global = w->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

}  // namespace input
