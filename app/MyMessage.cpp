#include "app/MyMessage.h"

#include <QLabel>
#include <QPushButton>

TForm_Message* Form_Message = nullptr;

namespace {
QLabel* BigLabel(QWidget* parent, const char* name, const char* text, int top) {
  auto* l = new QLabel(QString::fromLatin1(text), parent);
  l->setObjectName(name);
  l->setAlignment(Qt::AlignCenter);
  l->setGeometry(28, top, 480, 60);
  QFont f("Tahoma");
  f.setPixelSize(37);
  f.setBold(true);
  l->setFont(f);
  l->setStyleSheet("color: rgb(0, 128, 0);");
  return l;
}
}  // namespace

TForm_Message::TForm_Message(QWidget* owner) : QDialog(owner) {
  setObjectName("Form_Message");
  setFixedSize(536, 216);
  Label1 = BigLabel(this, "Label1", "FIRMWARE UPGRADE", 30);
  Label2 = BigLabel(this, "Label2", "COMPLETED", 100);
  Label_Fail = new QLabel(this);
  Label_Fail->setObjectName("Label_Fail");
  BitBtn1 = new QPushButton("Close", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setGeometry(213, 180, 116, 35);
  QFont bf("Tahoma");
  bf.setPixelSize(27);
  bf.setBold(true);
  BitBtn1->setFont(bf);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);  // Escape presses it too
}
