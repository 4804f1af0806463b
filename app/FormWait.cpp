#include "app/FormWait.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

TForm_wait* Form_wait = nullptr;

namespace {
// A ring with one highlighted segment per picture.
QPixmap WaitPicture(int step) {
  QPixmap pm(257, 265);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < 3; ++i) {
    p.setPen(QPen(i == step ? QColor(0, 0, 255) : QColor(180, 200, 230), 18));
    p.drawArc(40, 44, 177, 177, (90 - i * 120) * 16, -100 * 16);
  }
  return pm;
}
}  // namespace

TForm_wait::TForm_wait(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), timer_(new QTimer(this)) {
  setObjectName("Form_wait");
  setFixedSize(300, 306);
  timer_->setObjectName("Timer_Wait");
  // Only the pictures show: the window's own face is transparent (set before
  // the window is first created, which is when it counts).
  setAttribute(Qt::WA_TranslucentBackground);
  for (int i = 0; i < 3; ++i) {
    images_[i] = new QLabel(this);
    images_[i]->setObjectName(QString("Image_Wait%1").arg(i + 1));
    images_[i]->setGeometry(20, 20, 257, 265);
    images_[i]->setPixmap(WaitPicture(i));
  }
  connect(timer_, &QTimer::timeout, this, &TForm_wait::Timer_WaitTimer);
  timer_->start(1000);
}

void TForm_wait::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  FormShow();
}

void TForm_wait::FormShow() {
  if (QWidget* owner = parentWidget()) {
    QRect r(QPoint(0, 0), frameGeometry().size());
    r.moveCenter(owner->window()->frameGeometry().center());
    move(r.topLeft());
  }
}

void TForm_wait::Timer_WaitTimer() {
  const int k = tick_ % 3;
  for (int i = 0; i < 3; ++i) images_[i]->setVisible(i == k);
  ++tick_;
}
