#pragma once
// Bounded waits for the end-to-end tests. The polling loop under test runs
// until something closes the link; a fault that keeps the awaited moment from
// coming must fail the test within seconds, not leave the loop polling until
// the test runner kills it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

// Slower builds (the sanitizer build) stretch every bound by this factor.
#ifndef QORVANE_TEST_TIME_SCALE
#define QORVANE_TEST_TIME_SCALE 1
#endif

namespace waits {

// The longest one wait may take; the slowest that passes needs about 10 s.
constexpr int kSeconds = 30 * QORVANE_TEST_TIME_SCALE;
// After giving up, the time the loop under test has to end.
constexpr int kGraceSeconds = 10 * QORVANE_TEST_TIME_SCALE;

// Calls step() every 5 ms from the event processing of the loop under test
// (on a timer owned by context) until it returns true. If it has not within
// kSeconds, the test fails naming `what` and giveUp() runs (closing the link
// ends the polling loop); a loop still running kGraceSeconds later ends the
// test program.
inline void Until(QObject* context, std::string what, std::function<bool()> step, std::function<void()> giveUp) {
  auto* timer = new QTimer(context);
  auto since = std::make_shared<QElapsedTimer>();
  since->start();
  auto gaveUp = std::make_shared<bool>(false);
  QObject::connect(timer, &QTimer::timeout, timer,
                   [timer, since, gaveUp, what = std::move(what), step = std::move(step), giveUp = std::move(giveUp)] {
                     if (!*gaveUp) {
                       if (step()) {
                         timer->stop();
                       } else if (since->elapsed() > kSeconds * 1000LL) {
                         *gaveUp = true;
                         ADD_FAILURE() << "gave up after " << kSeconds << " s waiting for " << what;
                         giveUp();
                       }
                     } else if (since->elapsed() > (kSeconds + kGraceSeconds) * 1000LL) {
                       std::fprintf(stderr, "the loop under test still runs %d s after giving up on %s\n",
                                    kGraceSeconds, what.c_str());
                       std::abort();
                     }
                   });
  timer->start(5);
}

}  // namespace waits
