#include "monitor/VersionView.h"

#include <QLabel>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"

namespace {

// Group_Version: each caption with its value label below it.
constexpr ControlDecl kVersionRows[] = {
    {Kind::Label, "Label_DSPFW", 8, 32, 200, 16, "DSP FW Version", 1},
    {Kind::Label, "Label_DSP_Rev", 24, 48, 200, 18, "V xx.xx", 0, kBlue},
    {Kind::Label, "Label_RedundantFW", 8, 70, 200, 16, "Redundant FW Version", 1},
    {Kind::Label, "Label_Redundant_Rev", 24, 86, 200, 18, "V xx.xx", 0, kBlue},
    {Kind::Label, "Label_CommFW", 8, 108, 200, 16, "Comm. FW Version", 1},
    {Kind::Label, "Label_Display_Rev", 24, 124, 200, 18, "V xx.xx", 0, kBlue},
    {Kind::Label, "Label_ARCFW", 8, 146, 200, 16, "ARC FW Version", 1},
    {Kind::Label, "Label_ARC_Rev", 24, 162, 200, 18, "V xx.xx", 0, kBlue},
    {Kind::Label, "Label_SCMFW", 8, 184, 200, 16, "SCM FW Version", 1},
    {Kind::Label, "Label_SCM_Rev", 24, 200, 200, 18, "V xx.xx", 0, kBlue},
    {Kind::Label, "Label_Sub1GFW", 8, 222, 200, 16, "Sub-1G FW Version", 1},
    {Kind::Label, "Label_Sub1G_Rev", 24, 238, 200, 18, "V xx.xx", 0, kBlue},
    {Kind::Label, "Label_SerialNumber", 8, 260, 200, 16, "Serial Number", 1},
    {Kind::Label, "Label_TarvoSN", 24, 276, 200, 18, "??", 0, kBlue},
    {Kind::Edit, "Edit_KeySN", 24, 276, 200, 20, "", 0, kHidden},
    {Kind::Label, "Label_ModelNameCaption", 8, 298, 200, 16, "Model Name", 1},
    {Kind::Label, "Label_ModelName", 24, 314, 200, 18, "??", 0, kBlue},
};

// The register-map label and its two switch pictures in the window's top panel.
constexpr ControlDecl kVersionTopRows[] = {
    {Kind::Label, "Label_InvProtocol", 620, 8, 70, 20, "???", 0, kGreen | kUnderline},
    {Kind::Image, "Image_TarvoSun", 620, 30, 40, 40, "Tarvo to SunSpec"},
    {Kind::Image, "Image_SunTarvo", 620, 30, 40, 40, "SunSpec to Tarvo", 0, kHidden},
};

// Serial number: the 14 bytes of words 12 to 18, keeping only '0' to 'Z'.
QString SerialNumberText(const Modbus* link) {
  QString sn;
  for (int k = 12; k <= 18; ++k) {
    const uint16_t w = ReplyWord(link, k);
    for (const int byte : {w >> 8, w & 0xFF})
      if (byte >= '0' && byte <= 'Z') sn += QChar(byte);
  }
  return sn;
}

// Model name: the first 13 of the 16 bytes, ended by a zero byte.
QString ModelNameText(const Modbus* link) {
  QByteArray name;
  for (int i = 0; i < 13; ++i) {
    const char c = static_cast<char>(link->Reply[3 + i]);
    if (c == 0) break;
    name += c;
  }
  return QString::fromLatin1(name);
}

}  // namespace

extern const PanelControls kVersionPanel{"Group_Version", kVersionRows};
extern const PanelControls kVersionTopPanel{"Group_Top", kVersionTopRows};

int PollVersion(Modbus* link, uint8_t stop) {
  int result;
  if (!PollPrologue(link, stop, "Group_Version", QStringLiteral("Version..."), result)) return result;
  TForm_Main& f = *Form_Main;

  if (link->Request(802, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    const uint16_t map = ReplyWord(link, 0);
    if (ValueLabel* l = ViewLabel("Label_InvProtocol"))
      l->show(map == 0 ? QStringLiteral("Tarvo") : map == 5 ? QStringLiteral("SunSpec") : QStringLiteral("???"),
              clGreen);
    if (QWidget* w = f.Control(QStringLiteral("Image_TarvoSun"))) w->setVisible(map == 0);
    if (QWidget* w = f.Control(QStringLiteral("Image_SunTarvo"))) w->setVisible(map != 0);
  }

  if (link->Request(40963, 33, kReadInput)) return 1;
  if (ReplyUsable(link, kReadInput)) {
    SetText("Label_Display_Rev", VersionText(ReplyWord(link, 0)));
    SetText("Label_DSP_Rev", VersionText(ReplyWord(link, 2)));
    SetText("Label_Redundant_Rev", VersionText(ReplyWord(link, 4)));
    const uint16_t arc = ReplyWord(link, 6);
    SetText("Label_ARC_Rev", (arc >> 8) == 255 ? QStringLiteral(".") : VersionText(arc));
    const uint16_t scm = ReplyWord(link, 8);
    SetText("Label_SCM_Rev", (scm >> 8) == 255 ? QStringLiteral(".") : VersionText(scm));
    const QString sn = SerialNumberText(link);
    if (ValueLabel* l = ViewLabel("Label_TarvoSN")) l->show(sn, clBlue);
    SetText("Label_TarvoSN1", sn);
    f.PhaseCount = ReplyWord(link, 24);
    DecodeScaleWord(ReplyWord(link, 32), &f.PhaseCount, &f.DcCurrentDiv, &f.PowerMul, &f.EnergyMul, &f.AcCurrentDiv,
                    &f.VoltageDiv);
  }

  if (link->Request(44032, 8, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    const QString name = ModelNameText(link);
    SetText("Label_ModelName", name);
    SetText("Label_ModelName2", name);
  }

  // The signed-value convention changes only on a usable reply, so one
  // missed reply does not turn a whole pass's negative values positive.
  uint16_t typeWord = 0;
  if (link->Request(25338, 1, kReadHolding)) return 1;
  if (ReplyUsable(link, kReadHolding)) {
    typeWord = ReplyWord(link, 0);
    const int family = typeWord & 0xFF00;
    f.SignedValues = (family == 0x2000 || family == 0x2100 || family == 0x3000 || family == 0x3100) ? 1 : 0;
  }

  if (link->Request(60673, 1, kReadHolding)) return 1;
  SetText("Label_Sub1G_Rev", ReplyUsable(link, kReadHolding) ? VersionText(ReplyWord(link, 0)) : QStringLiteral("."));

  f.SetStatus(6, QStringLiteral("Idc:") + QString::number(f.DcCurrentDiv) + QStringLiteral(" ; P:") +
                     QString::number(f.PowerMul) + QStringLiteral(" ; E:") + QString::number(f.EnergyMul) +
                     QStringLiteral(" ; Iac:") + QString::number(f.AcCurrentDiv) + QStringLiteral(" ; V:") +
                     QString::number(f.VoltageDiv));
  f.SetStatus(7, QStringLiteral("Type:0x") + QString::number(typeWord, 16).toUpper().rightJustified(4, QLatin1Char('0')));
  return 0;
}
