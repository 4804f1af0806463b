#pragma once
// Helpers for the end-to-end tests that open the Wi-Fi or radio link the way
// the user does and let the polling loop run.
#include <QComboBox>
#include <functional>

#include "app/main.h"
#include "support/Wait.h"

namespace nettest {

// The link opens only with a profile chosen; chooses the first one (adding
// one when the list is empty).
inline void ChooseProfile(TForm_Main& w) {
  auto* c = w.Ctl<QComboBox>("Combo_SelectMode");
  if (!c) {
    c = new QComboBox(&w);
    c->setObjectName("Combo_SelectMode");
    w.RegisterControl(c);
  }
  if (c->count() == 0) c->addItem("SuperUser");
  c->setCurrentIndex(0);
}

// Calls step() every 5 ms while the loop runs (from its event processing)
// until it returns true; fails the test and closes the link if that takes
// longer than waits::kSeconds.
inline void Every5ms(TForm_Main& w, std::function<bool()> step) {
  waits::Until(&w, "the test's step to finish", std::move(step), [&w] { w.ClosePortClick(); });
}

}  // namespace nettest
