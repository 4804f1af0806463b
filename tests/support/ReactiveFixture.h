#pragma once
// Reactive-power groups: profile options and the one-row sign choosers.
#include <QCoreApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QStackedWidget>
#include <stdexcept>
#include <string>

#include "settings/ReactiveSign.h"
#include "support/PollFixture.h"

namespace reactivetest {

constexpr int kIndPlus = 0;
constexpr int kIndMinus = 1;
constexpr int kCoarse = 0;  // CosPhiSet "1%"
constexpr int kFine = 1;    // CosPhiSet "0.1%"
constexpr int kInd = kChoiceInd;
constexpr int kCap = kChoiceCap;

// Only a control on screen is laid out and can scroll: brings the page that
// holds it to the front.
inline void BringPageToFront(QWidget* control) {
  for (QWidget* c = control; c->parentWidget(); c = c->parentWidget())
    if (auto* pages = qobject_cast<QStackedWidget*>(c->parentWidget())) pages->setCurrentWidget(c);
  QCoreApplication::processEvents();
}

// Scrolls a sign chooser so that `choice` is its top row, as the user does
// with its scroll arrows; the highlight stays on the other item to show it
// plays no part.
inline void ScrollChooser(TForm_Main& w, const char* list, int choice) {
  auto* box = w.Ctl<QListWidget>(QLatin1String(list));
  if (!box) throw std::runtime_error(std::string("no chooser ") + list);
  BringPageToFront(box);
  box->setCurrentRow(1 - choice);
  box->verticalScrollBar()->setValue(choice);
  if (box->verticalScrollBar()->value() != choice) throw std::runtime_error(std::string("chooser did not scroll ") + list);
}

}  // namespace reactivetest
