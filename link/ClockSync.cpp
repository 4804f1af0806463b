// Setting the inverters' clocks from the PC, and switching an inverter's
// register map between the maker's native map and the SunSpec map.
#include "link/ClockSync.h"

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include "app/ControlTable.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "platform/Dialogs.h"
#include "platform/ImageBox.h"
#include "platform/ValueLabel.h"

namespace {
ClockSource& Source() {
  static ClockSource source;
  return source;
}

// A write the inverter confirmed: the echo of a function-6 request.
bool Acknowledged(const Modbus& m) { return m.ReplyValid == 1 && m.Reply[1] == 6; }
}  // namespace

void SetClockSource(ClockSource source) { Source() = std::move(source); }

int64_t ClockNow() {
  if (Source()) return Source()();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

int64_t LocalStandardSeconds(int64_t t) {
  const time_t tt = static_cast<time_t>(t);
  tm broken{};
  gmtime_r(&tt, &broken);
  // The UTC fields read back as local standard time: u is t shifted by the
  // zone's standard offset the other way.
  broken.tm_isdst = 0;
  const int64_t u = static_cast<int64_t>(mktime(&broken));
  return t + (t - u);
}

int Modbus::SyncClock() {
  const uint32_t v = static_cast<uint32_t>(LocalStandardSeconds(ClockNow()));
  const auto low = static_cast<int16_t>(v & 0xFFFF);
  const auto high = static_cast<int16_t>(v >> 16);
  // Written twice, half a second apart; the clock counts as set only when
  // the inverter confirmed every write.
  bool confirmed = true;
  for (int round = 0; round < 2; ++round) {
    if (round == 1) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (Request(785, low, 6)) return 1;
    confirmed = confirmed && Acknowledged(*this);
    if (Request(784, high, 6)) return 1;
    confirmed = confirmed && Acknowledged(*this);
  }
  return confirmed ? 0 : 1;
}

// ---------------------------------------------------------------------------
// The main window's side: the pictures that post the commands, and the
// executor's work for them.

namespace {

// The caption under the header's sync-clock picture.
constexpr ControlDecl kClockTopRows[] = {
    {Kind::Label, "Label_SyncClock", 690, 54, 70, 18, "Sync Clock", 1, kGreen | kCaption},
};

// A plain picture for the register-map switch: a rounded tile with a short text.
QPixmap Tile(int w, int h, const QColor& colour, const QString& text) {
  QPixmap pm(w, h);
  pm.fill(QColor(135, 206, 235));  // the header's sky blue
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(colour);
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 6, 6);
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setPixelSize(h / 4);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(0, 0, w, h), Qt::AlignCenter, text);
  return pm;
}

void Paint(TForm_Main& f, const char* name, QRgb colour) {
  if (auto* label = f.Ctl<ValueLabel>(QLatin1String(name))) label->setFontColor(colour);
}

void SetProtocolFont(TForm_Main& f, bool bold) {
  auto* label = f.Ctl<QLabel>(QStringLiteral("Label_InvProtocol"));
  if (!label) return;
  QFont font = label->font();
  font.setBold(bold);
  font.setUnderline(false);
  label->setFont(font);
}

// The per-inverter sweep: each listed inverter current at its own speed.
// `work` returns false to stop the sweep at once (without the return to the
// inverter that was current); true when the sweep went through.
template <class Work>
bool SweepListed(TForm_Main& f, Work work) {
  Modbus& link = f.Link;
  const uint8_t current = link.SlaveId;
  const InverterListRec list = f.CommandTargets();
  const int count = std::min(list.Count, static_cast<int>(list.Ids.size()));
  for (int i = 0; i < count; ++i) {
    link.SlaveId = static_cast<uint8_t>(list.Ids[i]);
    link.SetBaudIndex(list.BaudIndex[i]);
    if (!work()) return false;
  }
  link.SlaveId = current;
  link.SetBaudIndex(link.IdBaudIndex[current]);
  return true;
}

}  // namespace

extern const PanelControls kClockTopPanel{"Group_Top", kClockTopRows};

// Each click posts a command that only a running loop carries out; without
// one it says so instead of leaving its label red.
void TForm_Main::Image_SyncClockClick() {
  if (!LinkTakesCommands()) return;
  PostCommand(Link, CmdSyncClock);
  Paint(*this, "Label_SyncClock", clRed);
}

void TForm_Main::Image_TarvoSunClick() {
  if (!LinkTakesCommands()) return;
  PostCommand(Link, CmdSunSpecMap);
  Paint(*this, "Label_InvProtocol", clRed);
}

void TForm_Main::Image_SunTarvoClick() {
  if (!LinkTakesCommands()) return;
  PostCommand(Link, CmdNativeMap);
  Paint(*this, "Label_InvProtocol", clRed);
}

void TForm_Main::Image_TarvoSunMouseEnter() { SetProtocolFont(*this, true); }
void TForm_Main::Image_TarvoSunMouseLeave() { SetProtocolFont(*this, false); }
void TForm_Main::Image_SunTarvoMouseEnter() { SetProtocolFont(*this, true); }
void TForm_Main::Image_SunTarvoMouseLeave() { SetProtocolFont(*this, false); }

int TForm_Main::ExeSyncClock() {
  int set = 0, failed = 0;
  auto syncOne = [&] {
    if (Link.SyncClock()) {
      ShowMessage(QStringLiteral("Sync Clock Fail"));
      ++failed;
    } else {
      ++set;
    }
    return true;  // a failure goes on with the next inverter
  };
  if (Link.LinkMode == LinkSerial)
    SweepListed(*this, syncOne);
  else if (Link.LinkMode == LinkTcp)
    syncOne();
  // The radio link writes no clock.
  //
  // "Done" only when a clock was set; when nothing was (radio link, no
  // inverter listed) that is said too, not hidden behind "Done".
  if (set > 0)
    ShowMessage(QStringLiteral("Sync Clock Done"));
  else if (failed == 0)
    ShowMessage(QStringLiteral("Sync Clock Fail"));
  Paint(*this, "Label_SyncClock", clGreen);
  return 0;
}

int TForm_Main::ExeMapSwitch(int map) {
  auto* single = Ctl<QRadioButton>(QStringLiteral("Radio_SendSingle"));
  auto write = [&] { return Link.Request(802, static_cast<int16_t>(map), 6) == 0; };
  if (!single || single->isChecked()) {
    if (!write()) return 1;
  } else if (!SweepListed(*this, write)) {
    return 1;
  }
  ShowMessage(QStringLiteral("Check Protocol Please"));
  return 0;
}

void BindClockHandlers(TForm_Main& f) {
  if (auto* image = f.Ctl<ImageBox>(QStringLiteral("Image_SyncClock")))
    QObject::connect(image, &ImageBox::Click, &f, [&f] { f.Image_SyncClockClick(); });
  if (auto* image = f.Ctl<ImageBox>(QStringLiteral("Image_TarvoSun"))) {
    image->SetCanvas(Tile(image->width(), image->height(), QColor(30, 90, 160), QStringLiteral("T>S")).toImage());
    QObject::connect(image, &ImageBox::Click, &f, [&f] { f.Image_TarvoSunClick(); });
    QObject::connect(image, &ImageBox::MouseEnter, &f, [&f] { f.Image_TarvoSunMouseEnter(); });
    QObject::connect(image, &ImageBox::MouseLeave, &f, [&f] { f.Image_TarvoSunMouseLeave(); });
  }
  if (auto* image = f.Ctl<ImageBox>(QStringLiteral("Image_SunTarvo"))) {
    image->SetCanvas(Tile(image->width(), image->height(), QColor(200, 120, 0), QStringLiteral("S>T")).toImage());
    QObject::connect(image, &ImageBox::Click, &f, [&f] { f.Image_SunTarvoClick(); });
    QObject::connect(image, &ImageBox::MouseEnter, &f, [&f] { f.Image_SunTarvoMouseEnter(); });
    QObject::connect(image, &ImageBox::MouseLeave, &f, [&f] { f.Image_SunTarvoMouseLeave(); });
  }
}
