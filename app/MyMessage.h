#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The result window: a background picture, two large centred labels and a
// Close button (also pressed by Escape). The caller sets the texts, font
// colours (the labels' WindowText palette colour) and sizes, then shows it
// modally with ShowModal.
class TForm_Message : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_Message(QWidget* owner = nullptr);
  // Modal show through the dialog host, so that tests are never blocked.
  int ShowModal();
  void BitBtn1Click();

  QLabel* Image_Pass;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label_Fail;
  QPushButton* BitBtn1;
};

// Sets a label's font colour.
void SetLabelColor(QLabel* label, QRgb rgb);

extern TForm_Message* Form_Message;
