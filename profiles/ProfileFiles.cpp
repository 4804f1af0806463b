// The profile's settings file, the previous-run file and the country list.
#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "app/Myfunc.h"
#include "app/main.h"
#include "link/IdScan.h"
#include "platform/CFormat.h"
#include "platform/Dialogs.h"
#include "platform/FileText.h"
#include "platform/IniFile.h"
#include "profiles/Designmode.h"

namespace {

// Controls that a view has not built yet are skipped: reading leaves nothing
// to fill, and writing must not wipe the file's value with an empty text.
QWidget* Find(const TForm_Main& w, const QString& name) { return w.Control(name); }

bool GetText(const TForm_Main& w, const QString& name, QString& text) {
  QWidget* c = Find(w, name);
  if (auto* e = qobject_cast<QLineEdit*>(c)) text = e->text();
  else if (auto* l = qobject_cast<QLabel*>(c)) text = l->text();
  else if (auto* b = qobject_cast<QAbstractButton*>(c)) text = b->text();
  else return false;
  return true;
}

void SetText(const TForm_Main& w, const QString& name, const QString& text) {
  QWidget* c = Find(w, name);
  if (auto* e = qobject_cast<QLineEdit*>(c)) e->setText(text);
  else if (auto* l = qobject_cast<QLabel*>(c)) l->setText(text);
  else if (auto* b = qobject_cast<QAbstractButton*>(c)) b->setText(text);
}

QString Number(int v) { return CFormat("%i", v); }

// The temperature captions: file key, control.
struct TextKey {
  const char* key;
  const char* control;
};
constexpr TextKey kTemperature[] = {
    {"Label1", "Label_TemperTitle11"}, {"Label2", "Label_TemperTitle12"}, {"Label3", "Label_TemperTitle13"},
    {"Label4", "Label_TemperTitle14"}, {"Labe21", "Label_TemperTitle21"}, {"Labe22", "Label_TemperTitle22"},
    {"Labe23", "Label_TemperTitle23"}, {"Labe24", "Label_TemperTitle24"},
};

// Poll row r (1..10) of bank b (0..3): the key and control suffix "b" + "r".
QString PollSuffix(int bank, int row) { return QString::number(bank) + QString::number(row); }
QString PollSection(int bank) { return "Poll0" + QString::number(bank + 1); }

// The profile options: section, key, member, flag (1 for any value but 0).
struct OptionKey {
  const char* section;
  const char* key;
  int TForm_Main::*intMember;
  uint8_t TForm_Main::*flagMember;
};
// In the order in which the file is read and written.
const OptionKey kOptions[] = {
    {"reclosureTime", "Rate", &TForm_Main::ReclosureRate, nullptr},
    {"Reactive", "Sign", &TForm_Main::ReactiveSign, nullptr},
    {"Reactive", "CosPhiSet", &TForm_Main::CosPhiSet, nullptr},
    {"Inverter", "State", &TForm_Main::InverterState, nullptr},
    {"ConstVlot", "show", nullptr, &TForm_Main::ShowConstVolt},
    {"JapanUserSettingMode", "Mode", &TForm_Main::JapanUserSettingMode, nullptr},
    {"VacProtect", "set", &TForm_Main::VacProtectSet, nullptr},
    {"ActiveSlope", "show", nullptr, &TForm_Main::ShowActiveSlope},
    {"Language", "Select", nullptr, &TForm_Main::ShowLanguageSelect},
    {"Write", "Permission", nullptr, &TForm_Main::WriteLock},
    {"Write", "ShowAcMode", &TForm_Main::ShowAcMode, nullptr},
    {"Write", "ShowAcTitle", &TForm_Main::ShowAcTitle, nullptr},
    {"Write", "ShowGsFacMode", &TForm_Main::ShowGsFacMode, nullptr},
};
constexpr int kTemperatureAfterOption = 3;  // the captions are read after [Inverter] State

void ReadOption(TForm_Main& w, const IniFile& ini, const OptionKey& o) {
  const int v = SafeStrToInt(ini.ReadString(o.section, o.key, ""));
  if (o.flagMember) w.*o.flagMember = v != 0 ? 1 : 0;
  else w.*o.intMember = v;
  if (o.intMember == &TForm_Main::ReclosureRate && v == 0) w.ReclosureRate = 10;
}

QString OptionText(const TForm_Main& w, const OptionKey& o) {
  return o.flagMember ? Number(w.*o.flagMember != 0 ? 1 : 0) : Number(w.*o.intMember);
}

}  // namespace

// ---- MonitorSet.KXL ---------------------------------------------------------

int LoadMonitorSettings(TForm_Main& w, const QString& path) {
  IniFile ini(path);
  if (!ini.Exists()) return kFileMissing;
  SetText(w, "Edit_StartID", ini.ReadString("Search", "StartID", ""));
  SetText(w, "Edit_EndID", ini.ReadString("Search", "EndID", ""));
  for (int bank = 0; bank < 4; ++bank) {
    const QString section = PollSection(bank);
    for (int row = 1; row <= 10; ++row)
      SetText(w, "Edit_PollAddr" + PollSuffix(bank, row), ini.ReadString(section, "Addr" + PollSuffix(bank, row), ""));
    for (int row = 1; row <= 10; ++row) {
      // An index outside the list leaves no entry selected.
      const int index = SafeStrToInt(ini.ReadString(section, "Type" + PollSuffix(bank, row), ""));
      if (auto* c = w.Ctl<QComboBox>("Combo_PollType" + PollSuffix(bank, row)))
        c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
    }
    for (int row = 1; row <= 10; ++row)
      SetText(w, "Edit_PollVal" + PollSuffix(bank, row), ini.ReadString(section, "Value" + PollSuffix(bank, row), ""));
  }
  for (int i = 0; i < int(std::size(kOptions)); ++i) {
    ReadOption(w, ini, kOptions[i]);
    if (i == kTemperatureAfterOption)
      for (const TextKey& t : kTemperature) SetText(w, t.control, ini.ReadString("Temperature", t.key, ""));
  }
  return kFileDone;
}

int SaveMonitorSettings(TForm_Main& w, const QString& path, bool superUser, QString* error) {
  IniFile ini(path);
  if (!ini.Exists()) {
    ShowMessage("No found Setting File");
    return kFileMissing;
  }
  if (!superUser) return kFileDone;
  bool ok = true;
  auto put = [&](const QString& section, const QString& key, const QString& value) {
    if (ok && !ini.WriteString(section, key, value)) ok = false;
  };
  auto putText = [&](const QString& section, const QString& key, const QString& control) {
    QString text;
    if (GetText(w, control, text)) put(section, key, text);
  };
  putText("Search", "StartID", "Edit_StartID");
  putText("Search", "EndID", "Edit_EndID");
  for (const TextKey& t : kTemperature) putText("Temperature", t.key, t.control);
  for (const OptionKey& o : kOptions) put(o.section, o.key, OptionText(w, o));
  for (int bank = 0; bank < 4; ++bank) {
    const QString section = PollSection(bank);
    for (int row = 1; row <= 10; ++row)
      putText(section, "Addr" + PollSuffix(bank, row), "Edit_PollAddr" + PollSuffix(bank, row));
    for (int row = 1; row <= 10; ++row)
      if (auto* c = w.Ctl<QComboBox>("Combo_PollType" + PollSuffix(bank, row)))
        put(section, "Type" + PollSuffix(bank, row), Number(c->currentIndex()));
    for (int row = 1; row <= 10; ++row)
      putText(section, "Value" + PollSuffix(bank, row), "Edit_PollVal" + PollSuffix(bank, row));
  }
  if (ok) return kFileDone;
  if (error) *error = ini.LastError();
  return kFileRefused;
}

// ---- PreviousSet.KXL --------------------------------------------------------

namespace {
constexpr int kLastStoredId = 253;  // the file keeps ID1 to ID253
bool ValidBaudIndex(int v) { return v >= 1 && v <= 3; }
}  // namespace

int LoadPreviousSet(TForm_Main& w, const QString& path) {
  IniFile ini(path);
  if (!ini.Exists()) return kFileMissing;
  // A language the tool does not have would blank every translated caption.
  const int language = SafeStrToInt(ini.ReadString("Language", "Set", ""));
  w.LanguageIndex = language >= 0 && language <= 2 ? language : 0;
  for (int id = 1; id <= kLastStoredId; ++id) {
    // The speed index is a shift count later (4,800 << index): only 1 to 3 is a speed.
    const int v = SafeStrToInt(ini.ReadString("InvExist", "ID" + QString::number(id), ""));
    const bool present = ValidBaudIndex(v);
    w.Link.IdBaudIndex[id] = present ? v : 0;
    w.Link.IdPresent[id] = present ? id : 0;
  }
  CollectPresentIds(w.InverterList, w.Link.IdPresent, w.Link.IdBaudIndex);
  return kFileDone;
}

int SavePreviousSet(TForm_Main& w, const QString& path, QString* error) {
  IniFile ini(path);
  if (!ini.Exists()) return kFileMissing;
  bool ok = ini.WriteString("Language", "Set", Number(w.LanguageIndex));
  for (int id = 1; ok && id <= kLastStoredId; ++id) {
    const int v = w.Link.IdPresent[id] == id ? w.Link.IdBaudIndex[id] : 0;
    ok = ini.WriteString("InvExist", "ID" + QString::number(id), Number(v));
  }
  if (ok) return kFileDone;
  if (error) *error = ini.LastError();
  return kFileRefused;
}

// ---- CountryList.KXL --------------------------------------------------------

int LoadCountryList(TForm_Main& w, const QString& profileFolder) {
  // Nothing of an earlier, longer list may survive into this one.
  w.LoadedCountryNames.fill(QString());
  w.LoadedCountryCodes.fill(0);
  w.LoadedCountryCount = 0;
  QFile f(profileFolder + "/CountryList.KXL");
  if (!f.open(QIODevice::ReadOnly)) {
    w.LoadedCountryNames[0] = "NONE";
    return 0;
  }
  const QByteArray bytes = f.readAll();
  const FileEncoding encoding = DetectFileEncoding(bytes);
  // Read as the Windows program reads it, for its entry numbers are the grid
  // codes: a text stream (CR LF arrives as one line feed) taken in pieces of
  // at most 99 bytes, each piece one entry. A piece is the rest of a line with
  // its line feed, or 99 bytes of a longer line, which goes on in the next
  // piece; so a long line takes several entries and moves the lines after it
  // to higher codes. (A UTF-8 character cut there shows as a replacement
  // character in both pieces' names.)
  constexpr qsizetype kPieceBytes = 99;
  QByteArray text = bytes;
  text.replace("\r\n", "\n");
  size_t codes = 0;
  qsizetype at = 0;
  for (size_t i = 0; i < w.LoadedCountryNames.size() && at < text.size(); ++i) {
    const qsizetype feed = text.indexOf('\n', at);
    const qsizetype rest = (feed < 0 ? text.size() : feed + 1) - at;
    QByteArray piece = text.mid(at, std::min(rest, kPieceBytes));
    at += piece.size();
    const bool lineEnd = piece.endsWith('\n');
    if (lineEnd) piece.chop(1);
    const QString name = DecodeFileText(piece, encoding);
    w.LoadedCountryNames[i] = name;
    // An entry counts with its line feed, in bytes as the Windows program
    // counts: a one-letter line is on offer, a blank line is not, and a piece
    // without line feed needs two letters.
    if (piece.size() + (lineEnd ? 1 : 0) < 2) continue;
    w.LoadedCountryCodes[codes++] = int(i);
    // Only an entry that reads exactly "END", which is a last line without
    // line end, ends the list that the combo offers.
    if (lineEnd || name != QLatin1String("END")) w.LoadedCountryCount = int(codes);
  }
  return 0;
}
