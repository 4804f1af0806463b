#pragma once
// What the user's keyboard and mouse hand a control, sent straight to it (no
// window needs to be on screen or focused).
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

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

// Notches of the mouse wheel with the cursor resting on the middle of the
// control, delivered as the window system delivers them: to the control
// first, then to each parent in turn while none takes the event. Negative
// notches turn the wheel towards the user (a page scrolls down).
inline void Wheel(QWidget* w, int notches) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&e);
  qApp->notify(w, &e);
}

// Makes the window the active one, as a click on its title bar does; false
// when the window system never made it so.
inline bool Activate(QWidget* window) {
  window->activateWindow();
  return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// Opens the box's list with a click and picks the item named `text` with the
// arrow keys and Enter, as a user does; false when the list did not open or
// close, or holds no such item.
inline bool ChooseInOpenList(QComboBox* combo, const QString& text) {
  QTest::mouseClick(combo, Qt::LeftButton);
  QAbstractItemView* view = combo->view();
  if (!QTest::qWaitFor([view] { return view->isVisible(); })) return false;
  const int k = combo->findText(text, Qt::MatchExactly);
  if (k < 0) return false;
  for (int step = 0; step < combo->count() && view->currentIndex().row() != k; ++step)
    QTest::keyClick(view, view->currentIndex().row() < k ? Qt::Key_Down : Qt::Key_Up);
  if (view->currentIndex().row() != k) return false;
  QTest::keyClick(view, Qt::Key_Return);
  return QTest::qWaitFor([view] { return !view->isVisible(); });
}

}  // namespace input
