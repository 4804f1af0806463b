#include "monitor/UserPollView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>
#include <vector>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "platform/ValueLabel.h"
#include "settings/SettingEditors.h"

namespace {

// Group_Poll01 to Group_Poll04 are alike: three column heads, ten rows of
// address edit, type combo, value edit and value label, and a Clean All
// button. List L row R is named with the suffix L then R in decimal ("010"
// is list 0 row 10); one routine lays out every list.
constexpr const char* kCleanAllButtons[4] = {"Btn_Poll1CleanAll", "Btn_Poll2CleanAll", "Btn_Poll3ClearAll",
                                             "Btn_Poll4ClearAll"};

std::span<const ControlDecl> ListRows(int list) {
  static GeneratedRows lists[4];
  GeneratedRows& g = lists[list];
  if (!g.Rows().empty()) return g.Rows();
  const std::string l = std::to_string(list);
  g.Add({Kind::Label, g.Name("Label_Poll" + l + "AddrHead"), 8, 32, 54, 16, "Address", 1});
  g.Add({Kind::Label, g.Name("Label_Poll" + l + "TypeHead"), 66, 32, 54, 16, "Type", 1});
  g.Add({Kind::Label, g.Name("Label_Poll" + l + "ValueHead"), 124, 32, 54, 16, "Value", 1});
  for (int row = 1; row <= 10; ++row) {
    const std::string suffix = l + std::to_string(row);
    const int top = 50 + 30 * (row - 1);
    g.Add({Kind::Edit, g.Name("Edit_PollAddr" + suffix), 8, top, 54, 22});
    g.Add({Kind::Combo, g.Name("Combo_PollType" + suffix), 66, top, 54, 22, "Coil\nIR\nHR"});
    g.Add({Kind::Edit, g.Name("Edit_PollVal" + suffix), 124, top, 54, 22});
    g.Add({Kind::Label, g.Name("Label_PollVal" + suffix), 184, top + 2, 66, 18, "??", 0, kBlue});
  }
  g.Add({Kind::Button, kCleanAllButtons[list], 8, 350, 80, 26, "Clean All", 1});
  return g.Rows();
}

enum class Shown { Unsigned, Signed, Hex };

QString RowSuffix(int list, int row) { return QString::number(list) + QString::number(row); }

// A row's register or coil number, the same for its reads and its writes:
// 1 to 65536, which reach the wire as 0 to 0xFFFF (65536 passes the request
// as 0, whose wire address is 0xFFFF). Anything else would wrap onto another
// register and is no address: the row is idle.
std::optional<uint16_t> RowAddress(const QString& text) {
  const int number = SafeStrToInt(text);
  if (number < 1 || number > 0x10000) return std::nullopt;
  return static_cast<uint16_t>(number);
}

int ReadUserRow(Modbus* link, const QString& address, int typeIndex, ValueLabel* label, Shown shown) {
  const int function = UserPollFunctionCode(typeIndex);
  if (function != 1 && function != 3 && function != 4) return 0;
  const std::optional<uint16_t> reg = RowAddress(address);
  if (!reg) return 0;
  if (link->Request(*reg, 1, static_cast<uint8_t>(function))) return 1;
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

constexpr int kValueEditStem = 12;  // strlen("Edit_PollVal")

// Enter in a value edit: the row's type and address decide what is written.
// Only coils and holding registers take a write; any other row leaves the
// mailbox as it is, so a command waiting there is not cancelled.
std::optional<Posting> UserRowWrite(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  const QString suffix = QLatin1String(row.control).mid(kValueEditStem);
  auto* type = f.Ctl<QComboBox>("Combo_PollType" + suffix);
  auto* address = f.Ctl<QLineEdit>("Edit_PollAddr" + suffix);
  if (!type || !address) return std::nullopt;
  int code;
  switch (UserPollFunctionCode(type->currentIndex())) {
    case 1: code = CmdWriteCoil; break;
    case 3: code = CmdWriteRegister; break;
    default: return std::nullopt;
  }
  if (!RowAddress(address->text())) return std::nullopt;
  const int reg = SafeStrToInt(address->text());
  const std::optional<int64_t> value = TextValue(ValueRule::SafeInt, 1, in.text);
  if (!value) return std::nullopt;
  // ON is 1 or the 0xFF00 the executor sends for it.
  if (code == CmdWriteCoil && *value != 0 && *value != 1 && *value != kCoilOn) {
    ShowMessage(QStringLiteral("Out of range: a coil takes 0 (OFF), 1 or 65280 (0xFF00) (ON)"));
    return std::nullopt;
  }
  // The register may hold a signed or an unsigned word: both spellings of a
  // word are taken, as its 16 bits.
  if (*value < -32768 || *value > 0xFFFF) {
    ShowMessage(QStringLiteral("Out of range: the value must lie from -32768 to 65535"));
    return std::nullopt;
  }
  return Posting{reg, code, *value & 0xFFFF, 0};
}

}  // namespace

extern const PanelControls kPoll01Panel{"Group_Poll01", ListRows(0)};
extern const PanelControls kPoll02Panel{"Group_Poll02", ListRows(1)};
extern const PanelControls kPoll03Panel{"Group_Poll03", ListRows(2)};
extern const PanelControls kPoll04Panel{"Group_Poll04", ListRows(3)};

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

std::span<const EditorDecl> UserPollEditors() {
  static GeneratedRows names;
  static std::vector<EditorDecl> rows;
  if (!rows.empty()) return rows;
  for (int list = 0; list < 4; ++list)
    for (int row = 1; row <= 10; ++row) {
      const std::string suffix = std::to_string(list) + std::to_string(row);
      rows.push_back(Edit(names.Name("Edit_PollVal" + suffix), 0, SafeInt, names.Name("Label_PollVal" + suffix))
                         .Value(UserRowWrite));
    }
  return rows;
}

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
  for (int list = 0; list < 4; ++list)
    if (auto* b = Ctl<QPushButton>(QString::fromLatin1(kCleanAllButtons[list])))
      connect(b, &QPushButton::clicked, this, [this, list] { ClearUserPollList(*this, list); });
}
