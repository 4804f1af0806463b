#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The result window: two large centred labels and a Close button; the
// caller sets the texts, colours and sizes, then shows it modally.
class TForm_Message : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_Message(QWidget* owner = nullptr);
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label_Fail;
  QPushButton* BitBtn1;
};

extern TForm_Message* Form_Message;
