#pragma once
#include <QWidget>

class QLabel;
class QTimer;

// The busy window shown without blocking around long bus-wide commands:
// borderless, only its three stacked pictures visible. The pictures cycle
// once a second from creation on, shown or not.
class TForm_wait : public QWidget {
  Q_OBJECT
 public:
  explicit TForm_wait(QWidget* owner = nullptr);
  // Centres the window on its owner.
  void FormShow();
  void Timer_WaitTimer();
  int Tick() const { return tick_; }
  QTimer* Timer_Wait() const { return timer_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  QLabel* images_[3];
  QTimer* timer_;
  int tick_ = 0;  // never reset: a second show continues the cycle
};

extern TForm_wait* Form_wait;
