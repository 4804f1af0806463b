#include "monitor/UserPollView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_Poll01 to Group_Poll04: list L row R is named with the suffix L then
// R in decimal ("010" is list 0 row 10).
constexpr ControlDecl kPoll01Rows[] = {
    {Kind::Label, "Label_Poll0AddrHead", 8, 26, 54, 16, "Address", 1},
    {Kind::Label, "Label_Poll0TypeHead", 66, 26, 54, 16, "Type", 1},
    {Kind::Label, "Label_Poll0ValueHead", 124, 26, 54, 16, "Value", 1},
    {Kind::Edit, "Edit_PollAddr01", 8, 44, 54, 22},
    {Kind::Combo, "Combo_PollType01", 66, 44, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal01", 124, 44, 54, 22},
    {Kind::Label, "Label_PollVal01", 184, 46, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr02", 8, 74, 54, 22},
    {Kind::Combo, "Combo_PollType02", 66, 74, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal02", 124, 74, 54, 22},
    {Kind::Label, "Label_PollVal02", 184, 76, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr03", 8, 104, 54, 22},
    {Kind::Combo, "Combo_PollType03", 66, 104, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal03", 124, 104, 54, 22},
    {Kind::Label, "Label_PollVal03", 184, 106, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr04", 8, 134, 54, 22},
    {Kind::Combo, "Combo_PollType04", 66, 134, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal04", 124, 134, 54, 22},
    {Kind::Label, "Label_PollVal04", 184, 136, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr05", 8, 164, 54, 22},
    {Kind::Combo, "Combo_PollType05", 66, 164, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal05", 124, 164, 54, 22},
    {Kind::Label, "Label_PollVal05", 184, 166, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr06", 8, 194, 54, 22},
    {Kind::Combo, "Combo_PollType06", 66, 194, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal06", 124, 194, 54, 22},
    {Kind::Label, "Label_PollVal06", 184, 196, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr07", 8, 224, 54, 22},
    {Kind::Combo, "Combo_PollType07", 66, 224, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal07", 124, 224, 54, 22},
    {Kind::Label, "Label_PollVal07", 184, 226, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr08", 8, 254, 54, 22},
    {Kind::Combo, "Combo_PollType08", 66, 254, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal08", 124, 254, 54, 22},
    {Kind::Label, "Label_PollVal08", 184, 256, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr09", 8, 284, 54, 22},
    {Kind::Combo, "Combo_PollType09", 66, 284, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal09", 124, 284, 54, 22},
    {Kind::Label, "Label_PollVal09", 184, 286, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr010", 8, 314, 54, 22},
    {Kind::Combo, "Combo_PollType010", 66, 314, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal010", 124, 314, 54, 22},
    {Kind::Label, "Label_PollVal010", 184, 316, 66, 18, "??", 0, kBlue},
    {Kind::Button, "Btn_Poll1CleanAll", 8, 344, 80, 26, "Clean All", 1},
};
constexpr ControlDecl kPoll02Rows[] = {
    {Kind::Label, "Label_Poll1AddrHead", 8, 26, 54, 16, "Address", 1},
    {Kind::Label, "Label_Poll1TypeHead", 66, 26, 54, 16, "Type", 1},
    {Kind::Label, "Label_Poll1ValueHead", 124, 26, 54, 16, "Value", 1},
    {Kind::Edit, "Edit_PollAddr11", 8, 44, 54, 22},
    {Kind::Combo, "Combo_PollType11", 66, 44, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal11", 124, 44, 54, 22},
    {Kind::Label, "Label_PollVal11", 184, 46, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr12", 8, 74, 54, 22},
    {Kind::Combo, "Combo_PollType12", 66, 74, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal12", 124, 74, 54, 22},
    {Kind::Label, "Label_PollVal12", 184, 76, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr13", 8, 104, 54, 22},
    {Kind::Combo, "Combo_PollType13", 66, 104, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal13", 124, 104, 54, 22},
    {Kind::Label, "Label_PollVal13", 184, 106, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr14", 8, 134, 54, 22},
    {Kind::Combo, "Combo_PollType14", 66, 134, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal14", 124, 134, 54, 22},
    {Kind::Label, "Label_PollVal14", 184, 136, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr15", 8, 164, 54, 22},
    {Kind::Combo, "Combo_PollType15", 66, 164, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal15", 124, 164, 54, 22},
    {Kind::Label, "Label_PollVal15", 184, 166, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr16", 8, 194, 54, 22},
    {Kind::Combo, "Combo_PollType16", 66, 194, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal16", 124, 194, 54, 22},
    {Kind::Label, "Label_PollVal16", 184, 196, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr17", 8, 224, 54, 22},
    {Kind::Combo, "Combo_PollType17", 66, 224, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal17", 124, 224, 54, 22},
    {Kind::Label, "Label_PollVal17", 184, 226, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr18", 8, 254, 54, 22},
    {Kind::Combo, "Combo_PollType18", 66, 254, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal18", 124, 254, 54, 22},
    {Kind::Label, "Label_PollVal18", 184, 256, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr19", 8, 284, 54, 22},
    {Kind::Combo, "Combo_PollType19", 66, 284, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal19", 124, 284, 54, 22},
    {Kind::Label, "Label_PollVal19", 184, 286, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr110", 8, 314, 54, 22},
    {Kind::Combo, "Combo_PollType110", 66, 314, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal110", 124, 314, 54, 22},
    {Kind::Label, "Label_PollVal110", 184, 316, 66, 18, "??", 0, kBlue},
    {Kind::Button, "Btn_Poll2CleanAll", 8, 344, 80, 26, "Clean All", 1},
};
constexpr ControlDecl kPoll03Rows[] = {
    {Kind::Label, "Label_Poll2AddrHead", 8, 26, 54, 16, "Address", 1},
    {Kind::Label, "Label_Poll2TypeHead", 66, 26, 54, 16, "Type", 1},
    {Kind::Label, "Label_Poll2ValueHead", 124, 26, 54, 16, "Value", 1},
    {Kind::Edit, "Edit_PollAddr21", 8, 44, 54, 22},
    {Kind::Combo, "Combo_PollType21", 66, 44, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal21", 124, 44, 54, 22},
    {Kind::Label, "Label_PollVal21", 184, 46, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr22", 8, 74, 54, 22},
    {Kind::Combo, "Combo_PollType22", 66, 74, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal22", 124, 74, 54, 22},
    {Kind::Label, "Label_PollVal22", 184, 76, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr23", 8, 104, 54, 22},
    {Kind::Combo, "Combo_PollType23", 66, 104, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal23", 124, 104, 54, 22},
    {Kind::Label, "Label_PollVal23", 184, 106, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr24", 8, 134, 54, 22},
    {Kind::Combo, "Combo_PollType24", 66, 134, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal24", 124, 134, 54, 22},
    {Kind::Label, "Label_PollVal24", 184, 136, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr25", 8, 164, 54, 22},
    {Kind::Combo, "Combo_PollType25", 66, 164, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal25", 124, 164, 54, 22},
    {Kind::Label, "Label_PollVal25", 184, 166, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr26", 8, 194, 54, 22},
    {Kind::Combo, "Combo_PollType26", 66, 194, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal26", 124, 194, 54, 22},
    {Kind::Label, "Label_PollVal26", 184, 196, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr27", 8, 224, 54, 22},
    {Kind::Combo, "Combo_PollType27", 66, 224, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal27", 124, 224, 54, 22},
    {Kind::Label, "Label_PollVal27", 184, 226, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr28", 8, 254, 54, 22},
    {Kind::Combo, "Combo_PollType28", 66, 254, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal28", 124, 254, 54, 22},
    {Kind::Label, "Label_PollVal28", 184, 256, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr29", 8, 284, 54, 22},
    {Kind::Combo, "Combo_PollType29", 66, 284, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal29", 124, 284, 54, 22},
    {Kind::Label, "Label_PollVal29", 184, 286, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr210", 8, 314, 54, 22},
    {Kind::Combo, "Combo_PollType210", 66, 314, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal210", 124, 314, 54, 22},
    {Kind::Label, "Label_PollVal210", 184, 316, 66, 18, "??", 0, kBlue},
    {Kind::Button, "Btn_Poll3ClearAll", 8, 344, 80, 26, "Clean All", 1},
};
constexpr ControlDecl kPoll04Rows[] = {
    {Kind::Label, "Label_Poll3AddrHead", 8, 26, 54, 16, "Address", 1},
    {Kind::Label, "Label_Poll3TypeHead", 66, 26, 54, 16, "Type", 1},
    {Kind::Label, "Label_Poll3ValueHead", 124, 26, 54, 16, "Value", 1},
    {Kind::Edit, "Edit_PollAddr31", 8, 44, 54, 22},
    {Kind::Combo, "Combo_PollType31", 66, 44, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal31", 124, 44, 54, 22},
    {Kind::Label, "Label_PollVal31", 184, 46, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr32", 8, 74, 54, 22},
    {Kind::Combo, "Combo_PollType32", 66, 74, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal32", 124, 74, 54, 22},
    {Kind::Label, "Label_PollVal32", 184, 76, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr33", 8, 104, 54, 22},
    {Kind::Combo, "Combo_PollType33", 66, 104, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal33", 124, 104, 54, 22},
    {Kind::Label, "Label_PollVal33", 184, 106, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr34", 8, 134, 54, 22},
    {Kind::Combo, "Combo_PollType34", 66, 134, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal34", 124, 134, 54, 22},
    {Kind::Label, "Label_PollVal34", 184, 136, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr35", 8, 164, 54, 22},
    {Kind::Combo, "Combo_PollType35", 66, 164, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal35", 124, 164, 54, 22},
    {Kind::Label, "Label_PollVal35", 184, 166, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr36", 8, 194, 54, 22},
    {Kind::Combo, "Combo_PollType36", 66, 194, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal36", 124, 194, 54, 22},
    {Kind::Label, "Label_PollVal36", 184, 196, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr37", 8, 224, 54, 22},
    {Kind::Combo, "Combo_PollType37", 66, 224, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal37", 124, 224, 54, 22},
    {Kind::Label, "Label_PollVal37", 184, 226, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr38", 8, 254, 54, 22},
    {Kind::Combo, "Combo_PollType38", 66, 254, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal38", 124, 254, 54, 22},
    {Kind::Label, "Label_PollVal38", 184, 256, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr39", 8, 284, 54, 22},
    {Kind::Combo, "Combo_PollType39", 66, 284, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal39", 124, 284, 54, 22},
    {Kind::Label, "Label_PollVal39", 184, 286, 66, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_PollAddr310", 8, 314, 54, 22},
    {Kind::Combo, "Combo_PollType310", 66, 314, 54, 22, "Coil\nIR\nHR"},
    {Kind::Edit, "Edit_PollVal310", 124, 314, 54, 22},
    {Kind::Label, "Label_PollVal310", 184, 316, 66, 18, "??", 0, kBlue},
    {Kind::Button, "Btn_Poll4ClearAll", 8, 344, 80, 26, "Clean All", 1},
};

enum class Shown { Unsigned, Signed, Hex };

QString RowSuffix(int list, int row) { return QString::number(list) + QString::number(row); }

int ReadUserRow(Modbus* link, const QString& address, int typeIndex, ValueLabel* label, Shown shown) {
  const int function = UserPollFunctionCode(typeIndex);
  if (function != 1 && function != 3 && function != 4) return 0;
  // Register numbers run 1 to 65535; a larger one would silently read
  // another register, so it is taken as no address at all.
  const int address16 = SafeStrToInt(address);
  if (address16 <= 0 || address16 > 0xFFFF) return 0;
  if (link->Request(static_cast<uint16_t>(address16), 1, static_cast<uint8_t>(function))) return 1;
  QString text;
  if (!ReplyUsable(link, static_cast<uint8_t>(function))) {
    text = QStringLiteral("Error");
  } else if (function == 1) {
    text = QString::number(link->Reply[3]);
  } else {
    const uint16_t w = ReplyWord(link, 0);
    switch (shown) {
      case Shown::Unsigned: text = QString::number(w); break;
      case Shown::Signed: text = QString::number(static_cast<int16_t>(w)); break;
      case Shown::Hex: text = QString::number(w, 16).toUpper().rightJustified(4, QLatin1Char('0')); break;
    }
  }
  if (label) label->show(text, clBlue);
  return 0;
}

using RowReader = int (*)(Modbus*, const QString&, int, ValueLabel*);

int PollList(Modbus* link, uint8_t stop, int list, RowReader read) {
  const QString number = QString::number(list + 1).rightJustified(2, QLatin1Char('0'));
  int result;
  if (!PollPrologue(link, stop, ("Group_Poll" + number).toLatin1().constData(), "Poll" + number + "...", result))
    return result;
  for (int row = 1; row <= 10; ++row) {
    const QString suffix = RowSuffix(list, row);
    auto* address = Form_Main->Ctl<QLineEdit>("Edit_PollAddr" + suffix);
    auto* type = Form_Main->Ctl<QComboBox>("Combo_PollType" + suffix);
    if (!address || !type) continue;
    if (read(link, address->text(), type->currentIndex(), Form_Main->Ctl<ValueLabel>("Label_PollVal" + suffix)))
      return 1;
  }
  return 0;
}

}  // namespace

extern const PanelControls kPoll01Panel{"Group_Poll01", kPoll01Rows};
extern const PanelControls kPoll02Panel{"Group_Poll02", kPoll02Rows};
extern const PanelControls kPoll03Panel{"Group_Poll03", kPoll03Rows};
extern const PanelControls kPoll04Panel{"Group_Poll04", kPoll04Rows};

int UserPollFunctionCode(int typeIndex) {
  switch (typeIndex) {
    case 0: return 1;
    case 1: return 4;
    case 2: return 3;
    default: return -1;
  }
}

int ReadUserRowUnsigned(Modbus* link, const QString& address, int typeIndex, ValueLabel* label) {
  return ReadUserRow(link, address, typeIndex, label, Shown::Unsigned);
}

int ReadUserRowSigned(Modbus* link, const QString& address, int typeIndex, ValueLabel* label) {
  return ReadUserRow(link, address, typeIndex, label, Shown::Signed);
}

int ReadUserRowHex(Modbus* link, const QString& address, int typeIndex, ValueLabel* label) {
  return ReadUserRow(link, address, typeIndex, label, Shown::Hex);
}

int PollUser01(Modbus* link, uint8_t stop) { return PollList(link, stop, 0, ReadUserRowUnsigned); }
int PollUser02(Modbus* link, uint8_t stop) { return PollList(link, stop, 1, ReadUserRowUnsigned); }
int PollUser03(Modbus* link, uint8_t stop) { return PollList(link, stop, 2, ReadUserRowSigned); }
int PollUser04(Modbus* link, uint8_t stop) { return PollList(link, stop, 3, ReadUserRowHex); }

void ClearUserPollList(TForm_Main& f, int list) {
  if (list < 0 || list > 3) return;
  for (int row = 1; row <= 10; ++row) {
    const QString suffix = RowSuffix(list, row);
    if (auto* e = f.Ctl<QLineEdit>("Edit_PollAddr" + suffix)) e->clear();
    if (auto* c = f.Ctl<QComboBox>("Combo_PollType" + suffix)) c->setCurrentIndex(-1);
    if (auto* e = f.Ctl<QLineEdit>("Edit_PollVal" + suffix)) e->clear();
  }
}

void TForm_Main::BindMonitorHandlers() {
  // The four lists' "Clean All" buttons (names as designed).
  const char* const buttons[4] = {"Btn_Poll1CleanAll", "Btn_Poll2CleanAll", "Btn_Poll3ClearAll", "Btn_Poll4ClearAll"};
  for (int list = 0; list < 4; ++list)
    if (auto* b = Ctl<QPushButton>(QString::fromLatin1(buttons[list])))
      connect(b, &QPushButton::clicked, this, [this, list] { ClearUserPollList(*this, list); });
}
