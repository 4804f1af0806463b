#include "settings/ReactiveHooks.h"

#include <QListWidget>
#include <QScrollBar>

#include "app/Myfunc.h"
#include "app/main.h"
#include "settings/ReactiveSign.h"

int CosPhiSetOf(const TForm_Main& f) { return f.CosPhiSet; }

int ChooserChoice(const TForm_Main& f, const char* list) {
  const auto* box = f.Ctl<QListWidget>(QLatin1String(list));
  if (!box) return kChoiceInd;
  // Scrolled per item, the scroll position is the index of the top row.
  return box->verticalScrollBar()->value() >= 1 ? kChoiceCap : kChoiceInd;
}

std::optional<Posting> SignedPosting(TForm_Main& f, const EditorDecl& row, const EditorInput& in,
                                     const char* chooser) {
  const int reg = row.where ? row.where(f).reg : row.reg;
  if (reg == 0) return std::nullopt;  // an option value without a register
  const std::optional<int64_t> v = RuleValue(f, row, in);
  if (!v) return std::nullopt;
  return Posting{reg, row.code, SignedEntry(*v, ChooserChoice(f, chooser), f.ReactiveSign), 0};
}

namespace {
const TForm_Main& Window() { return *Form_Main; }
int16_t Signed(uint16_t word) { return static_cast<int16_t>(word); }
std::optional<QString> CosAt(int cosPhiSet, uint16_t word) {
  if (Window().CosPhiSet != cosPhiSet) return std::nullopt;
  return CosPhiText(Signed(word), CosPhiResolution(cosPhiSet), Window().ReactiveSign);
}
}  // namespace

std::optional<QString> SignedPercentWord(const Modbus*, uint16_t word) {
  return SignedPercentText(Signed(word), Window().ReactiveSign);
}
std::optional<QString> CurveTenthsWord(const Modbus*, uint16_t word) {
  return CurveTenthsText(Signed(word), Window().ReactiveSign);
}
std::optional<QString> CosCoarseWord(const Modbus*, uint16_t word) { return CosAt(0, word); }
std::optional<QString> CosFineWord(const Modbus*, uint16_t word) { return CosAt(1, word); }
std::optional<QString> CosThousandthsWord(const Modbus*, uint16_t word) {
  return CosPhiText(Signed(word), 1000, Window().ReactiveSign);
}
std::optional<QString> SignedIntWord(const Modbus*, uint16_t word) { return QString::number(Signed(word)); }
std::optional<QString> SignedIntPercentWord(const Modbus*, uint16_t word) {
  return QString::number(Signed(word)) + QStringLiteral(" %");
}
std::optional<QString> SignedTenthsPercentWord(const Modbus*, uint16_t word) {
  return FormatDeci(static_cast<float>(Signed(word))) + QLatin1Char('%');
}
std::optional<QString> KeepTextWord(const Modbus*, uint16_t) { return std::nullopt; }

bool CoarseCosPhi(const TForm_Main& f) { return f.CosPhiSet == 0; }
bool FineCosPhi(const TForm_Main& f) { return f.CosPhiSet == 1; }
bool NotCoarseCosPhi(const TForm_Main& f) { return f.CosPhiSet != 0; }
