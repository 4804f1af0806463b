#include "monitor/StatusView.h"

#include <QCheckBox>
#include <QRadioButton>
#include <iterator>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_Status. The radio buttons, check box and edits are the setting
// editors' controls; this view only shows what the inverter reports in them.
constexpr ControlDecl kStatusRows[] = {
    {Kind::Label, "Label_StatusRemote", 8, 34, 80, 18, "Remote", 1},
    {Kind::Radio, "Radio_RemoteON", 96, 32, 56, 20, "ON"},
    {Kind::Radio, "Radio_RemoteOFF", 156, 32, 56, 20, "OFF"},
    {Kind::Label, "Label_StatusState", 8, 58, 80, 18, "State", 1},
    {Kind::Label, "Label_InvStatus", 96, 58, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StatusCountdown", 8, 80, 80, 18, "Countdown", 1},
    {Kind::Label, "Label_ReclosureT", 96, 80, 150, 18, "??", 0, kBlue},
    {Kind::Label, "Label_StatusMaxPower", 8, 102, 80, 18, "Max Power", 1},
    {Kind::Label, "Label_MaxPower", 96, 102, 80, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_MaxPower", 180, 100, 66, 22},
    {Kind::Label, "Label_WarningOccur", 8, 126, 80, 18, ""},
    {Kind::Button, "Btn_Unlock", 96, 124, 100, 24, "Grid unlock", 1},
    {Kind::Frame, "Group_ConstVolt", 4, 154, 246, 76},
};

// The constant-voltage box, shown or hidden by the profile.
constexpr ControlDecl kConstVoltRows[] = {
    {Kind::Label, "Label_ConstVoltCaption", 4, 4, 120, 18, "Const Volt.", 1},
    {Kind::Check, "Check_ConstVolt", 4, 26, 60, 20, "ON"},
    {Kind::Label, "Label_ConstVolt", 92, 28, 70, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_ConstVolt", 170, 24, 66, 22},
};

// State texts by code, in two variants chosen by the profile.
constexpr const char* kStateTexts0[] = {"Stand by", "Countdown", "On Grid", "No Dc", "Alarm",
                                        nullptr,    "Stand alone", nullptr, "Check PV Power"};

struct CodeText {
  int code;
  const char* text;
};
constexpr CodeText kStateTexts1[] = {
    {0, "Stand by"},           {4, "Stand by"},           {8, "Countdown"},          {10, "Relay Test"},
    {11, "Solar2 soft-start"}, {13, "Solar2 soft-start"}, {15, "Solar2 MPPT "},      {17, "Solar2 MPPT "},
    {21, "Solar1 soft-start"}, {23, "Solar1 soft-start"}, {25, "Solar1 MPPT"},       {27, "Solar1 MPPT"},
    {31, "Parallel MPPT"},     {33, "Parallel MPPT"},     {35, "Separate MPPT"},     {37, "Separate MPPT"},
    {39, "Separate MPPT"},     {41, "Separate MPPT"},     {43, "Pseudo Para. MPPT"}, {45, "Parallel MPPT"},
    {47, "Fixed Inv. Curr."},  {49, "Italy self-test"},   {50, "Stop"},              {128, "Stop mode"},
    {129, "Count Down"},       {130, "Soft-start"},       {131, "Voltage mode"},
};

ValueLabel* Label(const char* name) { return ViewLabel(name); }

}  // namespace

extern const PanelControls kStatusPanel{"Group_Status", kStatusRows};
extern const PanelControls kConstVoltPanel{"Group_ConstVolt", kConstVoltRows};

QString InverterStateText(int variant, int code) {
  if (variant == 0) {
    const int n = static_cast<int>(std::size(kStateTexts0));
    if (code >= 0 && code < n && kStateTexts0[code]) return QString::fromLatin1(kStateTexts0[code]);
    return QStringLiteral("Unknown");
  }
  if (variant == 1) {
    for (const CodeText& e : kStateTexts1)
      if (e.code == code) return QString::fromLatin1(e.text);
    return QStringLiteral("Unknown");
  }
  return QString();
}

QString MaxPowerText(int watts) {
  if (watts <= 1000) return QString::number(watts);
  return QString::number(watts / 1000) + QLatin1Char(',') +
         QString::number(watts % 1000).rightJustified(3, QLatin1Char('0'));
}

int PollStatus(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_Status", QStringLiteral("Status..."), result)) return result;
  TForm_Main& f = *Form_Main;

  if (link->Request(24576, 1, kReadCoils)) return 1;
  if (ReplyUsable(link, kReadCoils)) {
    const char* selected = link->Reply[3] == 1 ? "Radio_RemoteON" : "Radio_RemoteOFF";
    if (auto* r = f.Ctl<QRadioButton>(QLatin1String(selected))) r->setChecked(true);
  }

  if (link->Request(1048, 2, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    const int code = ReplyWord(link, 0);
    if (ValueLabel* l = Label("Label_InvStatus"))
      l->setText(InverterStateText(f.InverterState, code) + QLatin1Char('(') + QString::number(code) +
                 QLatin1Char(')'));
    if (ValueLabel* l = Label("Label_ReclosureT")) l->setText(QString::number(ReplyWord(link, 1)) + QStringLiteral(" s"));
  }

  if (link->Request(825, 5, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    if (auto* c = f.Ctl<QCheckBox>(QStringLiteral("Check_ConstVolt"))) c->setChecked(ReplyWord(link, 0) == 0x0400);
    if (ValueLabel* l = Label("Label_ConstVolt"))
      l->show(FormatScaledFloat(ReplyWord(link, 4), 10) + QLatin1Char('V'), clBlue);
  }

  if (link->Request(33595, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    const int watts = ReplyWord(link, 0) * f.PowerMul;
    if (ValueLabel* l = Label("Label_MaxPower")) l->show(MaxPowerText(watts) + QStringLiteral(" W"), clBlue);
  }

  if (link->Request(25411, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding))
    if (ValueLabel* l = Label("Label_WarningOccur"))
      l->setText((ReplyWord(link, 0) & 1) ? QStringLiteral("Lock") : QString());

  if (link->Request(48384, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding) && ReplyWord(link, 0) == 1)
    if (ValueLabel* l = Label("Label_WarningOccur")) l->setText(QStringLiteral("Lock"));
  return 0;
}
