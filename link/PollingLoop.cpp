#include "link/PollingLoop.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <thread>
#include <unistd.h>

#include "app/ControlTable.h"
#include "app/LogViews.h"
#include "app/main.h"
#include "link/LinkUi.h"
#include "link/Modbus.h"
#include "link/Radio.h"
#include "logs/DataLogActive.h"
#include "monitor/AcView.h"
#include "monitor/AdcBusView.h"
#include "monitor/BatteryWarnView.h"
#include "monitor/DailyEnergyView.h"
#include "monitor/DcView.h"
#include "monitor/DeratingView.h"
#include "monitor/EngineeringViews.h"
#include "monitor/EventView.h"
#include "monitor/InvTimeView.h"
#include "monitor/LoadBatteryViews.h"
#include "monitor/MonthlyEnergyView.h"
#include "monitor/OemEventView.h"
#include "monitor/OemMonitorView.h"
#include "monitor/OlderLineView.h"
#include "monitor/StatusView.h"
#include "monitor/TemperatureView.h"
#include "monitor/UserPollView.h"
#include "monitor/VersionView.h"
#include "platform/Dialogs.h"
#include "platform/ValueLabel.h"
#include "settings/FaultRideThroughView.h"
#include "settings/ProtectionFunctionViews.h"
#include "settings/AustraliaSetView.h"
#include "settings/CountryView.h"
#include "settings/GridSupportViews.h"
#include "settings/JapanViews.h"
#include "settings/ProtectionViews.h"
#include "settings/RelayViews.h"
#include "settings/StatusCommands.h"

namespace {

// The top panel's link controls: open and close, the link kind, the radio
// frequency and where commands go.
constexpr ControlDecl kLinkTopRows[] = {
    {Kind::Button, "OpenPort", 224, 8, 56, 26, "Open"},
    {Kind::Button, "ClosePort", 284, 8, 56, 26, "Close", 0, kDisabled},
    {Kind::Frame, "Panel_LinkKind", 348, 2, 80, 70},
    {Kind::Edit, "Edit_RolaNextFreq", 432, 40, 60, 24, "928.9", 0, kHidden},
    {Kind::Label, "Label_SendCommand", 500, 4, 110, 18, "Send Command", 1},
    {Kind::Frame, "Panel_SendCommand", 500, 24, 110, 46},
};
// Each box of the top bar lies on a background picture (Tag 2) that the
// window paints at start.
constexpr ControlDecl kLinkKindRows[] = {
    {Kind::Image, "Image_LinkKindBack", 2, 2, 76, 66, "", 2},
    {Kind::Radio, "Radio_ComRS485", 0, 2, 80, 20, "RS485", 0, kChecked},
    {Kind::Radio, "Radio_ComWifi", 0, 24, 80, 20, "Wi-Fi"},
    {Kind::Radio, "Radio_ComSub1g", 0, 46, 80, 20, "Sub1G", 0, kHidden},
};
constexpr ControlDecl kSendCommandRows[] = {
    {Kind::Image, "Image_SendCommandBack", 2, 2, 106, 42, "", 2},
    {Kind::Radio, "Radio_SendSingle", 0, 0, 100, 20, "Single", 0, kChecked},
    {Kind::Radio, "Radio_CmdBroadcast", 0, 22, 100, 20, "Broadcast"},
};

// The AC layouts: one block for all phases (0, 1), each phase with its
// second readings (2), or the first phase alone (3).
bool AcBlockLayout(const TForm_Main& f) { return f.ShowAcMode == 0 || f.ShowAcMode == 1; }
bool AcPhasesLayout(const TForm_Main& f) { return f.ShowAcMode == 2; }
bool AcFirstPhaseLayout(const TForm_Main& f) { return f.ShowAcMode == 3; }

// One pass, in order. Later views add their rows at their places; the AC
// rows (5 to 9) carry a `runs` test on ShowAcMode.
constexpr PollRow kPollOrder[] = {
    {1, PollVersion},
    {2, PollTemper1},
    {3, PollTemper2},
    {4, PollOutputPower},
    {5, PollAC, AcBlockLayout},
    {6, PollAC1, AcPhasesLayout},
    {7, PollAC2, AcPhasesLayout},
    {8, PollAC3, AcPhasesLayout},
    {9, PollAC1, AcFirstPhaseLayout},
    {10, PollLNST},
    {11, PollDC},
    {12, PollStringCurr},
    {13, PollADC},
    {14, PollVbus},
    {15, PollTotalBus},
    {16, PollTotalPower},
    {17, PollTestValue},
    {18, PollDcRelayAccTimes},
    {19, PollAntiPid},
    {20, PollWarnEvent},
    {21, PollCountry},
    {22, PollErrorEvent},
    {23, PollUacProtection},
    {24, PollFreqProtection},
    {25, PollAcTerminal},
    {26, PollReactivePower},
    {27, PollQUCtrl},
    {28, PollCosPCtrl},
    {29, PollExtendCosphiP},
    {30, PollActivePower},
    {31, PollPFCtrl},
    {32, PollPUFunction},
    {33, PollCosphiOfU},
    {34, PollLVFR},
    {35, PollIslanding},
    {36, PollAntiIsland},
    {37, PollARCTest},
    {38, PollFactory},
    {39, PollVIPGain},
    {40, PollFanTest},
    {41, PollFanFail},
    {42, PollDeratingRecords},
    {43, PollEPO},
    {44, PollStatus},
    {45, PollInsulation},
    {46, PollGroundCurr},
    {47, PollDcInj},
    {48, PollK4QSetting},
    {49, PollJapanSet},
    {50, PollJapUserSet},
    {51, PollJapUserSetOld},
    {52, PollBTInfo},
    {53, PollBTCTRL},
    {54, PollSubsidy},
    {55, PollBTModule1},
    {56, PollBTModule2},
    {57, PollLoadPower1},
    {58, PollLoadPower2},
    {59, PollStandAlone3P},
    {60, PollDeratingRecordsOPV},
    {61, PollDeratingRecordsVin},
    {62, PollDeratingRecordsOPVLo},
    {63, PollDeratingRecordsPM},
    {64, PollMaxOutputValue},
    {65, PollMaxInputValue},
    {66, PollInvTime},
    {67, PollDryContact},
    {68, PollDailyEnergy},
    {69, PollMonthlyEnergy},
    {70, PollNightMode},
    {71, PollUser01},
    {72, PollUser02},
    {73, PollUser03},
    {74, PollUser04},
    {75, PollErrorCodes},
    {76, PollJapanErrorList},
    {77, PollBrennikMM},
    {78, PollBRKThermalEvent},
    {79, PollBRKOpvEvent},
    {80, PollBRKVinEvent},
    {81, PollBRKOpvloEvent},
    {82, PollBRKSetPoint},
    {83, PollBRKEnergy},
    {84, PollRelayFunction},
    {85, PollJapanActivePower},
    {86, PollMerivonTest},
    {87, PollMerivonDc1},
    {88, PollMerivonDc2},
    {89, PollMerivonAc1},
    {90, PollCommProtection},
    {91, PollAustraliaSet},
    {92, PollQbyNight},
    {93, PollQofP},
    {94, PollRPROVGR},
};

constexpr uint16_t kWifiKeepAliveRegister = 0xEC63;
constexpr int16_t kWifiKeepAliveValue = 0x55AA;

void PlainSleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

extern const PanelControls kLinkTopPanel{"Group_Top", kLinkTopRows};
extern const PanelControls kLinkKindPanel{"Panel_LinkKind", kLinkKindRows};
extern const PanelControls kSendCommandPanel{"Panel_SendCommand", kSendCommandRows};

std::span<const PollRow> PollOrder() { return kPollOrder; }

QString OptionSummary(int reactiveSign, int cosPhiSet, int writeLock) {
  QString s;
  if (reactiveSign == 0) s += QStringLiteral("Ind+ ");
  else if (reactiveSign == 1) s += QStringLiteral("Ind- ");
  if (cosPhiSet == 0) s += QStringLiteral("1%");
  else if (cosPhiSet == 1) s += QStringLiteral("0.1%");
  s += QStringLiteral(" , ");
  s += writeLock == 1 ? QStringLiteral("Lock") : QStringLiteral("Unlock");
  return s;
}

void TForm_Main::BindLinkHandlers() {
  if (auto* b = Ctl<QPushButton>(QStringLiteral("OpenPort"))) {
    b->setToolTip(QStringLiteral("start communication"));
    connect(b, &QPushButton::clicked, this, [this] { OpenPortClick(); });
  }
  if (auto* b = Ctl<QPushButton>(QStringLiteral("ClosePort"))) {
    b->setToolTip(QStringLiteral("stop communication"));
    connect(b, &QPushButton::clicked, this, [this] { ClosePortClick(); });
  }
  if (auto* r = Ctl<QRadioButton>(QStringLiteral("Radio_ComRS485")))
    connect(r, &QRadioButton::clicked, this, [this] { Radio_ComRS485Click(); });
  if (auto* r = Ctl<QRadioButton>(QStringLiteral("Radio_ComWifi")))
    connect(r, &QRadioButton::clicked, this, [this] { Radio_ComWifiClick(); });
  if (auto* r = Ctl<QRadioButton>(QStringLiteral("Radio_ComSub1g")))
    connect(r, &QRadioButton::clicked, this, [this] { Radio_ComSub1gClick(); });
}

void TForm_Main::Radio_ComRS485Click() {
  if (QWidget* w = Control(QStringLiteral("Combo_COM"))) w->setEnabled(true);
}

void TForm_Main::Radio_ComWifiClick() {
  if (QWidget* w = Control(QStringLiteral("Combo_COM"))) w->setEnabled(false);
}

void TForm_Main::Radio_ComSub1gClick() {
  if (QWidget* w = Control(QStringLiteral("Combo_COM"))) w->setEnabled(true);
  if (QWidget* w = Control(QStringLiteral("Edit_RolaNextFreq"))) w->show();
}

void TForm_Main::OfferSub1gLink(bool offered) {
  sub1gOffered_ = offered;
  ShowLinkKinds();
}

void TForm_Main::ShowLinkKinds() {
  // While a link is open its kind does not change under it.
  for (const char* name : {"Radio_ComRS485", "Radio_ComWifi", "Radio_ComSub1g"})
    if (QWidget* w = Control(QLatin1String(name))) w->setEnabled(!LinkOpen);
  auto* sub1g = Ctl<QRadioButton>(QStringLiteral("Radio_ComSub1g"));
  if (!sub1g) return;
  // An open radio link keeps its button in sight until it closes.
  sub1g->setHidden(!sub1gOffered_ && !(LinkOpen && Link.LinkMode == LinkRadio));
  if (sub1g->isHidden() && sub1g->isChecked()) {
    // No hidden button stays chosen: Open would open a link nobody sees.
    if (auto* rs485 = Ctl<QRadioButton>(QStringLiteral("Radio_ComRS485"))) rs485->setChecked(true);
    Radio_ComRS485Click();
  }
}

void TForm_Main::ResetValueLabels() {
  for (ValueLabel* label : ValueLabelsOf(this)) {
    if (label->fontColor() != clBlue && label->fontColor() != clRed) continue;
    label->setText(QStringLiteral("??"));
    label->setFontColor(clBlue);
  }
}

void TForm_Main::ClosePortClick() { PollStop = 1; }

bool TForm_Main::LinkTakesCommands() {
  // No loop will carry a command out: none runs, or Close has been clicked
  // and the running one is ending.
  if (LinkOpen && PollStop != 1) return true;
  ShowMessage(QStringLiteral("Please Connect to Inverters first"));
  return false;
}

void TForm_Main::OpenPortClick() {
  auto* profiles = Ctl<QComboBox>(QStringLiteral("Combo_SelectMode"));
  if (!profiles || profiles->currentIndex() < 0) {
    ShowMessage(QStringLiteral("You have to select Monitor Mode first"));
    return;
  }
  if (QWidget* w = Control(QStringLiteral("OpenPort"))) w->setEnabled(false);
  if (QWidget* w = Control(QStringLiteral("ClosePort"))) w->setEnabled(true);
  // Nothing shown belongs to the link that opens now: not the status of
  // another link, nor the values read over it.
  for (int panel : {0, 1, 2, 3, 9, 10}) SetStatus(panel, QString());
  ResetValueLabels();

  Link.CmdCode = 0;
  Link.SlaveId = 0;
  Link.TxCount = 0;
  Link.FailStreak = 0;
  Link.CrcErrors = 0;
  Link.NoReplyCount = 0;
  Link.NoConnectCount = -1;
  Link.Client.CloseAll();  // every socket slot empty, IDs 0..255

  auto checked = [this](const char* name) {
    auto* r = Ctl<QRadioButton>(QLatin1String(name));
    return r && r->isChecked();
  };
  auto* ports = Ctl<QComboBox>(QStringLiteral("Combo_COM"));
  const QString portName = ports ? ports->currentText() : QString();
  auto opened = [this] {
    LinkOpen = true;
    ShowLinkKinds();
    ShowPolledId();
  };

  if (checked("Radio_ComWifi")) {
    // Nothing is connected here: each exchange connects its ID's socket.
    Link.LinkMode = LinkTcp;
    Link.SlaveId = 255;
    Link.Client.Startup();
    SetStatus(4, QString());  // the serial port's state is not this link's
    opened();
    RunPollingLoop();
    return;
  }
  if (checked("Radio_ComRS485")) {
    if (Link.OpenSerial(portName)) {
      CloseLink();
      return;
    }
    Link.LinkMode = LinkSerial;
    ExeSelectInv(0);
    opened();
    RunPollingLoop();
    return;
  }
  if (checked("Radio_ComSub1g")) {
    if (Link.OpenSerial(portName)) {
      CloseLink();
      return;
    }
    Link.LinkMode = LinkRadio;
    ExeSelectInv(0);
    Link.SetBaudIndex(3);
    // The dongle is set up on the fallback frequency before the chosen one
    // is taken from the edit.
    Link.SetupRadio();
    auto* freq = Ctl<QLineEdit>(QStringLiteral("Edit_RolaNextFreq"));
    Link.SelectRadioFrequency(RadioFreqTenthsFromText(freq ? freq->text() : QString()));
    opened();
    RunPollingLoop();
    return;
  }
  CloseLink();
}

int TForm_Main::RunPollingLoop() {
  // A profile change while polling asks for a fresh loop from inside this
  // one; running a second loop here would send requests while this loop's
  // request still waits, and close the link twice. Restart at the pass
  // boundary instead.
  if (pollDepth_ > 0) {
    pollRestart_ = true;
    // The fresh loop starts here, as far as the flags go: a Close clicked
    // before the restart is reached still ends it.
    PollStop = 0;
    KeepPortOpen = 0;
    return 0;
  }
  struct Depth {
    int& d;
    explicit Depth(int& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(pollDepth_);

  PollStop = 0;
  KeepPortOpen = 0;
  for (;;) {
    pollRestart_ = false;
    bool ended = false;
    while (!ended && !pollRestart_) {
      if (Link.LinkMode == LinkTcp && Link.Request(kWifiKeepAliveRegister, kWifiKeepAliveValue, 6)) {
        ended = true;
        break;
      }
      for (const PollRow& row : kPollOrder) {
        if (pollRestart_) break;
        if (row.runs && !row.runs(*this)) continue;
        if (row.item(&Link, PollStop)) {
          ended = true;
          break;
        }
      }
      if (ended || pollRestart_) break;

      QCoreApplication::processEvents();
      PlainSleepMs(10);
      // Once more after the pause, so input never waits longer than one
      // tick, here or in the next request's turnaround wait.
      QCoreApplication::processEvents();
      if (pollRestart_) break;

      // A loop asked to stop runs no more commands, not even one posted in
      // its last pass: the link is closing.
      if (PollStop == 1) {
        ended = true;
        break;
      }
      if (Link.CmdCode > 0 && ExecutePendingCommand()) {
        ended = true;
        break;
      }
      if (PollStop == 1) {
        ended = true;
        break;
      }
      // A command posted while one ran stays for the next boundary; only a
      // code that cannot be one is dropped.
      if (Link.CmdCode < 0) Link.CmdCode = 0;
      SetStatus(8, OptionSummary(ReactiveSign, CosPhiSet, WriteLock));
    }
    if (ended) break;
  }

  if (KeepPortOpen == 1) return 0;
  CloseLink();
  return 1;
}

int TForm_Main::CloseLink() {
  DataLogActive = 0;
  if (QWidget* w = Control(QStringLiteral("OpenPort"))) w->setEnabled(true);
  if (QWidget* w = Control(QStringLiteral("ClosePort"))) w->setEnabled(false);
  if (Link.LinkMode == LinkTcp) {
    Link.Client.CloseAll();
    Link.Client.Cleanup();
    // A module that refused or reset the connection: what was read over it
    // no longer looks live, as after a pulled serial adapter. The traffic
    // log already names the address and the reason.
    if (!Link.TakeTcpFailure().isEmpty()) CurrentLinkUi().MarkViewsStale();
  } else {
    // A port that failed (an adapter pulled out, a device that would not
    // open) says which and why, in the panel and in the traffic log, and
    // what was read over it no longer looks live, as after a silent line.
    const QString why = Link.Port.TakeError();
    Link.Port.Close();
    const QString text = why.isEmpty() ? QStringLiteral("COM Close") : QStringLiteral("COM Close: ") + why;
    SetStatus(4, text);
    if (!why.isEmpty()) {
      AppendTrafficLog(EventLog(), text);
      CurrentLinkUi().MarkViewsStale();
    }
  }
  // No loop runs any more: whoever asks whether a link is open is told no.
  LinkOpen = false;
  PollStop = 1;
  ShowLinkKinds();
  return 0;
}
