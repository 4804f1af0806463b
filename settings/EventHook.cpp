#include "settings/EventHook.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QWidget>

void OnExit(QWidget* control, std::function<void()> fn) {
  if (!control) return;
  QObject::connect(qApp, &QApplication::focusChanged, control,
                   [control, fn = std::move(fn)](QWidget* old, QWidget* now) {
                     if (old == control && now && now->window() == control->window()) fn();
                   });
}

namespace {

// Leaves a wheel notch untaken: the parents of the box get it in turn, up to
// the page.
class WheelPassesOn : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::Wheel) return false;
    e->ignore();
    return true;
  }
};

}  // namespace

void KeepTheWheelOffChoices(QWidget* window) {
  auto* passOn = new WheelPassesOn(window);
  // A box that takes the focus by the wheel would take it from where the
  // user's keys are going.
  for (QComboBox* box : window->findChildren<QComboBox*>()) {
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(passOn);
  }
  // Nor does a row of tabs turn the page under a resting cursor.
  for (QTabBar* tabs : window->findChildren<QTabBar*>()) tabs->installEventFilter(passOn);
  // A list box scrolls where the cursor rests on its items or on its arrows.
  for (QListWidget* list : window->findChildren<QListWidget*>()) {
    list->setFocusPolicy(Qt::StrongFocus);
    for (QWidget* part : {static_cast<QWidget*>(list), list->viewport(), static_cast<QWidget*>(list->verticalScrollBar()),
                          static_cast<QWidget*>(list->horizontalScrollBar())})
      part->installEventFilter(passOn);
  }
}
