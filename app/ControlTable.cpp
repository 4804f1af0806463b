#include "app/ControlTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "app/LogViews.h"
#include "platform/ImageBox.h"
#include "platform/ValueLabel.h"

namespace {
// A one-row list shows its choice alone: every item is exactly as tall as the
// list's inside, so the top item is shown whole and no part of the next.
class OneItemInView : public QObject {
 public:
  explicit OneItemInView(QListWidget* list) : QObject(list), list_(list) {
    list->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Resize) {
      const QSize inside = list_->viewport()->size();
      for (int i = 0; i < list_->count(); ++i) list_->item(i)->setSizeHint(inside);
    }
    return false;
  }

 private:
  QListWidget* list_;
};

QWidget* Make(const ControlDecl& d, QWidget* parent) {
  const QString caption = QString::fromUtf8(d.caption);
  switch (d.kind) {
    case Kind::Label: {
      auto* w = new ValueLabel(parent);
      w->setText(caption);
      w->setTag(d.tag);
      if (d.flags & kBlue) w->setFontColor(clBlue);
      if (d.flags & kGreen) w->setFontColor(clGreen);
      if (d.flags & kSilver) w->setFontColor(clSilver);
      w->setCaption(d.flags & kCaption);
      if (d.flags & kUnderline) {
        QFont f = w->font();
        f.setUnderline(true);
        w->setFont(f);
      }
      return w;
    }
    case Kind::Edit: {
      auto* w = new QLineEdit(caption, parent);
      // The layout files' boxes were sized for edits that keep one pixel
      // between frame and text; Qt keeps two.
      w->setTextMargins(-1, 0, -1, 0);
      return w;
    }
    case Kind::Combo: {
      auto* w = new QComboBox(parent);
      if (d.flags & kEditable) {
        w->setEditable(true);
        w->setInsertPolicy(QComboBox::NoInsert);  // typed text never becomes an item
      }
      if (!caption.isEmpty()) w->addItems(caption.split(QLatin1Char('\n')));
      w->setCurrentIndex(-1);  // no entry chosen until a profile or a read-back picks one
      return w;
    }
    case Kind::Radio: {
      auto* w = new QRadioButton(caption, parent);
      w->setChecked(d.flags & kChecked);
      return w;
    }
    case Kind::Check: {
      auto* w = new QCheckBox(caption, parent);
      w->setChecked(d.flags & kChecked);
      return w;
    }
    case Kind::Button: return new QPushButton(caption, parent);
    case Kind::Image: {
      auto* w = new ImageBox(parent);
      w->setToolTip(caption);  // the hint
      return w;
    }
    case Kind::Grid: return new QTableWidget(parent);
    case Kind::Log: return new LogView(parent);
    case Kind::Frame:
      // A frame with a caption is a titled box.
      if (!caption.isEmpty()) return new QGroupBox(caption, parent);
      return new QFrame(parent);
    case Kind::List: {
      auto* w = new QListWidget(parent);
      if (!caption.isEmpty()) w->addItems(caption.split(QLatin1Char('\n')));
      w->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
      w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      // A one-row list shows its top item: under a larger font what does not
      // fit is cut at the edge rather than all of it replaced by an ellipsis.
      w->setTextElideMode(Qt::ElideNone);
      new OneItemInView(w);
      return w;
    }
  }
  return nullptr;
}
}  // namespace

void BuildControls(QWidget* parent, std::span<const ControlDecl> rows) {
  for (const ControlDecl& d : rows) {
    QWidget* w = Make(d, parent);
    w->setObjectName(QString::fromLatin1(d.name));
    w->setProperty("Tag", d.tag);
    w->setGeometry(d.left, d.top, d.width, d.height);
    if (d.flags & kHidden) w->hide();
    if (d.flags & kDisabled) w->setEnabled(false);
  }
}
