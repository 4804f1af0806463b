#include <QString>
#include <string>

#include "app/ControlTable.h"
#include "app/Myfunc.h"
#include "app/SharedTables.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "settings/JapanViews.h"
#include "settings/SettingEditors.h"

namespace {

// ---- Panels ---------------------------------------------------------------

// Rows of 32 px: the panel is 165 px high. The lock-out voltage row belongs
// to the power-reduction settings' register; nothing reads it back here.
constexpr ControlDecl kActivePowerRows[] = {
    {Kind::Label, "Label_JapanPowerManageCaption", 8, 34, 122, 18, "Power Management", 1},
    {Kind::Label, "Label_JapanPowerManage", 132, 34, 44, 18, "???"},
    {Kind::Combo, "Combo_JapanPowerManage", 180, 32, 68, 22, "OFF\nRATED"},
    {Kind::Label, "Label_JapanActivePercentageCaption", 8, 66, 122, 18, "Percentage", 1},
    {Kind::Label, "Label_JapanActivePercentage", 132, 66, 44, 18, "???"},
    {Kind::Combo, "Combo_JapanActivePercentage", 180, 64, 68, 22, nullptr},
    {Kind::Label, "Label_JapanActiveSlopeCaption", 8, 98, 122, 18, "Slope", 1},
    {Kind::Label, "Label_JapanActiveSlope", 132, 98, 44, 18, "???"},
    {Kind::Combo, "Combo_JapanActiveSlope", 180, 96, 68, 22, "60\n120\n180\n240\n300\n360\n420\n480\n540\n600"},
    {Kind::Label, "Label_JapanLockOutVoltCaption", 8, 130, 130, 18, "Lockout Voltage(Vac)", 1},
    {Kind::Label, "Label422", 140, 130, 34, 18, "???"},
    {Kind::Edit, "Edit5", 180, 128, 68, 22},
};

// "0" to "100": the percentage combo's items.
const char* PercentItems() {
  static const std::string items = [] {
    std::string s;
    for (int p = 0; p <= 100; ++p) {
      if (p) s += '\n';
      s += std::to_string(p);
    }
    return s;
  }();
  return items.c_str();
}

std::span<const ControlDecl> ActivePowerRows() {
  static GeneratedRows g;
  if (!g.Rows().empty()) return g.Rows();
  for (ControlDecl row : kActivePowerRows) {
    if (row.kind == Kind::Combo && !row.caption) row.caption = PercentItems();
    g.Add(row);
  }
  return g.Rows();
}

// The event list: headings, then entries 00 to 29, one per row of 20 px.
constexpr int kEntries = 30;
constexpr int kPerPage = 10;

QString EntryNumber(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

std::span<const ControlDecl> ErrorListRows() {
  static GeneratedRows g;
  if (!g.Rows().empty()) return g.Rows();
  g.Add({Kind::Label, "Label_JapanErrorCodeHead", 8, 34, 300, 18, "コード/說明"});
  g.Add({Kind::Label, "Label_JapanErrorDateHead", 360, 34, 150, 18, "日付"});
  for (int n = 0; n < kEntries; ++n) {
    const std::string nn = EntryNumber(n).toStdString();
    const int top = 56 + 20 * n;
    g.Add({Kind::Label, g.Name("Label_Japan_E" + nn), 8, top, 348, 18, ""});
    g.Add({Kind::Label, g.Name("Label_ET" + nn), 360, top, 150, 18, ""});
  }
  return g.Rows();
}

// ---- Read-back ------------------------------------------------------------

constexpr CodeText kPowerManage[] = {{0, "OFF"}, {1, "RATED"}};
constexpr WordRead kActivePowerWords[] = {
    Word(0, "Label_JapanPowerManage", Show::Text).Texts(kPowerManage),
    Word(1, "Label_JapanActivePercentage", Show::Decimal),
    Word(2, "Label_JapanActiveSlope", Show::Decimal),
};
// Blue only from a usable reply.
constexpr ReadBlock kActivePowerBlocks[] = {Read(kReadHolding, 25361, 3, kActivePowerWords)};
constexpr ReadView kActivePowerView{"Group_JapanActivePower", "Active Pow...", kActivePowerBlocks};

// A page is shown only when the inverter says it presents the page asked
// for; its time stamps are read only then.
bool g_pageShown = false;

template <int Page>
int ShowPageCodes(Modbus* link) {
  g_pageShown = link->Reply[4] == Page;
  if (!g_pageShown) return 0;
  for (int n = 0; n < kPerPage; ++n) {
    const int entry = kPerPage * Page + n;
    SetText(QStringLiteral("Label_Japan_E") + EntryNumber(entry),
            EntryNumber(entry) + QStringLiteral(". ") + EventCodeText(ReplyWord(link, n + 1)));
  }
  return 0;
}

int SkipPage(Modbus*) {
  g_pageShown = false;
  return 0;
}

bool PageShown(const TForm_Main&) { return g_pageShown; }

// Each time stamp: low word first, seconds since 1970 in UTC.
template <int Page>
int ShowPageTimes(Modbus* link) {
  for (int n = 0; n < kPerPage; ++n) {
    const uint16_t low = ReplyWord(link, 2 * n);
    const uint16_t high = ReplyWord(link, 2 * n + 1);
    SetText(QStringLiteral("Label_ET") + EntryNumber(kPerPage * Page + n),
            FormatRegisterTime(low >> 8, low & 0xFF, high >> 8, high & 0xFF, 0));
  }
  return 0;
}

constexpr int kPageSelector = 801;
#define JAPAN_EVENT_PAGE(p)                                                    \
  WriteFirst(kPageSelector, p),                                                \
      Read(kReadInput, 1088, 11, {}).Then(ShowPageCodes<p>).Otherwise(SkipPage), \
      Read(kReadInput, 1184, 20, {}).When(PageShown).Then(ShowPageTimes<p>)
constexpr ReadBlock kErrorListBlocks[] = {JAPAN_EVENT_PAGE(0), JAPAN_EVENT_PAGE(1), JAPAN_EVENT_PAGE(2)};
#undef JAPAN_EVENT_PAGE
constexpr ReadView kErrorListView{"Group_JapanErrorList", "Event...", kErrorListBlocks};

// ---- Editors --------------------------------------------------------------

constexpr int kSlopes[] = {60, 120, 180, 240, 300, 360, 420, 480, 540, 600};

constexpr EditorDecl kEditors[] = {
    Combo("Combo_JapanPowerManage", 25361, "Label_JapanPowerManage"),
    Combo("Combo_JapanActivePercentage", 25362, "Label_JapanActivePercentage"),
    Combo("Combo_JapanActiveSlope", 25363, "Label_JapanActiveSlope").Codes(kSlopes),
    // The lock-out voltage of the power reduction over voltage, from this
    // row's own edit; its read-back shows in that group.
    Edit("Edit5", 885, X10, "Label_ProvrLockOutV"),
};

}  // namespace

extern const PanelControls kJapanActivePowerPanel{"Group_JapanActivePower", ActivePowerRows()};
extern const PanelControls kJapanErrorListPanel{"Group_JapanErrorList", ErrorListRows()};

int PollJapanActivePower(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kActivePowerView); }
int PollJapanErrorList(Modbus* link, uint8_t stop) { return RunReadView(link, stop, kErrorListView); }

std::span<const EditorDecl> JapanActivePowerEditors() { return kEditors; }

// The read-back views of this file, for what the editor fit needs to know of
// the readings.
std::span<const ReadView* const> JapanActivePowerReadViews() {
  static constexpr const ReadView* kViews[] = {&kActivePowerView, &kErrorListView};
  return kViews;
}
