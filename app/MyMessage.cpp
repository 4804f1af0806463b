#include "app/MyMessage.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "platform/Dialogs.h"

TForm_Message* Form_Message = nullptr;

namespace {
constexpr int kWidth = 536;
constexpr int kHeight = 216;

QLabel* BigLabel(QWidget* parent, const char* name, const char* text, int top) {
  auto* l = new QLabel(QString::fromLatin1(text), parent);
  l->setObjectName(name);
  l->setAlignment(Qt::AlignCenter);
  l->setGeometry((kWidth - 480) / 2, top, 480, 60);
  QFont f("Tahoma");
  f.setPixelSize(37);
  f.setBold(true);
  l->setFont(f);
  SetLabelColor(l, qRgb(0, 128, 0));
  return l;
}

QPixmap Background() {
  QPixmap pm(kWidth, kHeight);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 0, kHeight);
  g.setColorAt(0, QColor(250, 255, 250));
  g.setColorAt(1, QColor(215, 235, 220));
  p.fillRect(pm.rect(), g);
  return pm;
}
}  // namespace

void SetLabelColor(QLabel* label, QRgb rgb) {
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, QColor::fromRgb(rgb));
  label->setPalette(pal);
}

TForm_Message::TForm_Message(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
  setObjectName("Form_Message");
  setFixedSize(kWidth, kHeight);
  Image_Pass = new QLabel(this);
  Image_Pass->setObjectName("Image_Pass");
  Image_Pass->setGeometry(0, 0, kWidth, kHeight);
  Image_Pass->setScaledContents(true);  // stretched
  Image_Pass->setPixmap(Background());
  Label1 = BigLabel(this, "Label1", "FIRMWARE UPGRADE", 30);
  Label2 = BigLabel(this, "Label2", "COMPLETED", 100);
  Label_Fail = new QLabel(this);
  Label_Fail->setObjectName("Label_Fail");
  Label_Fail->setGeometry(28, 160, 150, 16);
  BitBtn1 = new QPushButton("Close", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setGeometry(213, 180, 116, 35);
  BitBtn1->setAutoDefault(false);
  QFont bf("Tahoma");
  bf.setPixelSize(27);
  bf.setBold(true);
  BitBtn1->setFont(bf);
  // Escape rejects the dialog, which is what the button does.
  connect(BitBtn1, &QPushButton::clicked, this, &TForm_Message::BitBtn1Click);
}

int TForm_Message::ShowModal() { return Dialogs().ExecModal(this); }

void TForm_Message::BitBtn1Click() { reject(); }
