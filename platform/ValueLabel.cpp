#include "platform/ValueLabel.h"

#include <QPalette>

ValueLabel::ValueLabel(QWidget* parent) : QLabel(parent) {}

QList<ValueLabel*> ValueLabelsOf(const QWidget* window) {
  QList<ValueLabel*> labels;
  if (!window) return labels;
  for (ValueLabel* label : window->findChildren<ValueLabel*>())
    if (!label->IsCaption()) labels.append(label);
  return labels;
}

void ValueLabel::setFontColor(QRgb rgb) {
  rgb |= 0xFF000000u;
  if (rgb == color_) return;
  color_ = rgb;
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor::fromRgb(rgb));
  setPalette(pal);
}
