#include "platform/ImageBox.h"

#include <QMouseEvent>
#include <QPainter>

ImageBox::ImageBox(QWidget* parent) : QLabel(parent) {}

void ImageBox::EnsureCanvas() {
  if (!canvas_.isNull()) return;
  canvas_ = QImage(qMax(1, width()), qMax(1, height()), QImage::Format_RGB32);
  canvas_.fill(Qt::white);
}

const QImage& ImageBox::Canvas() {
  EnsureCanvas();
  return canvas_;
}

void ImageBox::SetCanvas(const QImage& image) {
  canvas_ = image.convertToFormat(QImage::Format_RGB32);
  update();
}

QRgb ImageBox::Pixel(int x, int y) {
  EnsureCanvas();
  return canvas_.valid(x, y) ? canvas_.pixel(x, y) : 0;
}

void ImageBox::SetPixel(int x, int y, QRgb rgb) {
  EnsureCanvas();
  if (!canvas_.valid(x, y)) return;
  canvas_.setPixel(x, y, rgb | 0xFF000000u);
  update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  if (canvas_.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, canvas_);
}

void ImageBox::enterEvent(QEnterEvent* e) {
  QLabel::enterEvent(e);
  emit MouseEnter();
}

void ImageBox::leaveEvent(QEvent* e) {
  QLabel::leaveEvent(e);
  emit MouseLeave();
}

void ImageBox::mousePressEvent(QMouseEvent* e) {
  pressed_ = e->button() == Qt::LeftButton;
  e->accept();
}

void ImageBox::mouseReleaseEvent(QMouseEvent* e) {
  const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
  pressed_ = false;
  e->accept();
  if (click) emit Click();
}
