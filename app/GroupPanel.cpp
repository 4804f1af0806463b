#include "app/GroupPanel.h"

#include <QLabel>

GroupPanel::GroupPanel(const QString& name, const QString& title, int tag, int width, QWidget* parent)
    : QFrame(parent), tag_(tag), title_(new QLabel(title, this)) {
  setObjectName(name);
  setProperty("Tag", tag);
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  title_->setObjectName(name + "_Title");
  title_->setGeometry(1, 1, width - 2, 22);
  title_->setAutoFillBackground(true);
  QPalette tp = title_->palette();
  tp.setColor(QPalette::Window, QColor(135, 206, 235));
  title_->setPalette(tp);
  QFont f = title_->font();
  f.setBold(true);
  title_->setFont(f);
  resize(width, tag);
}
