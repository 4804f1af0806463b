#include "platform/ValueLabel.h"

#include <QPalette>

ValueLabel::ValueLabel(QWidget* parent) : QLabel(parent) {}

void ValueLabel::setFontColor(QRgb rgb) {
  rgb |= 0xFF000000u;
  if (rgb == color_) return;
  color_ = rgb;
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor::fromRgb(rgb));
  setPalette(pal);
}
