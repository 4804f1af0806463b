#include "app/Myfunc.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

int WaitTick10ms() {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  while (Clock::now() - start < std::chrono::milliseconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return 1;
}

int DelayMs(int ms) {
  for (int i = 0; i < ms / 10; ++i) {
    WaitTick10ms();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return 0;
}
