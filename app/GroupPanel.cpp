#include "app/GroupPanel.h"

#include <QLabel>

GroupPanel::GroupPanel(const GroupPanelDecl& d, QWidget* parent)
    : QFrame(parent), tag_(d.tag), title_(new QLabel(QString::fromUtf8(d.title), this)) {
  setObjectName(QString::fromLatin1(d.name));
  setProperty("Tag", d.tag);
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  // Named as designed: the routines that resize or relabel a panel find its
  // title by that name.
  title_->setObjectName(QString::fromLatin1(d.titleLabel));
  title_->setGeometry(0, 0, d.width - 1, kTitleHeight);
  title_->setAutoFillBackground(true);
  QPalette tp = title_->palette();
  tp.setColor(QPalette::Window, QColor(135, 206, 235));
  title_->setPalette(tp);
  QFont f = title_->font();
  f.setBold(true);
  title_->setFont(f);
  resize(d.width, d.tag);
}
