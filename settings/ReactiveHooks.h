#pragma once
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "settings/SettingEditors.h"

class Modbus;
class TForm_Main;

// Row hooks of the reactive-power groups: the sign rule and the cos φ
// display of ReactiveSign.h applied with the window's profile options.

// The item a sign chooser (a one-row "Ind"/"Cap" list box) shows in its top
// row; the highlighted item plays no part. "Ind" when the box is absent.
int ChooserChoice(const TForm_Main& f, const char* list);

// The row's value rule (and its register hook), then the sign rule with the
// chooser. Nothing when the register hook names no register.
std::optional<Posting> SignedPosting(TForm_Main& f, const EditorDecl& row, const EditorInput& in,
                                     const char* chooser);

// A chooser's name as a template argument, so that each row's value hook
// names its own chooser: .Value(SignedBy<"List_CosRange">).
template <size_t N>
struct ChooserName {
  char name[N];
  constexpr ChooserName(const char (&s)[N]) { std::copy_n(s, N, name); }
};
template <ChooserName C>
std::optional<Posting> SignedBy(TForm_Main& f, const EditorDecl& row, const EditorInput& in) {
  return SignedPosting(f, row, in, C.name);
}

// A cos φ register that follows CosPhiSet: `coarse` in hundredths at "1%",
// `fine` in thousandths at "0.1%"; register 0 for any other option value.
template <int Coarse, int Fine>
RegisterScale CosPhiRegister(const TForm_Main& f);

// Word hooks.
std::optional<QString> SignedPercentWord(const Modbus* link, uint16_t word);  // Ind 30%
std::optional<QString> CurveTenthsWord(const Modbus* link, uint16_t word);    // Cap 95.0%
std::optional<QString> CosCoarseWord(const Modbus* link, uint16_t word);      // at "1%" only
std::optional<QString> CosFineWord(const Modbus* link, uint16_t word);        // at "0.1%" only
std::optional<QString> CosThousandthsWord(const Modbus* link, uint16_t word); // always thousandths
std::optional<QString> SignedIntWord(const Modbus* link, uint16_t word);      // -3
std::optional<QString> SignedIntPercentWord(const Modbus* link, uint16_t word);  // -20 %
std::optional<QString> SignedTenthsPercentWord(const Modbus* link, uint16_t word);  // -50.0%
// Leaves the text: a label the block paints but another step fills.
std::optional<QString> KeepTextWord(const Modbus* link, uint16_t word);

// Block conditions on CosPhiSet.
bool CoarseCosPhi(const TForm_Main& f);
bool FineCosPhi(const TForm_Main& f);
bool NotCoarseCosPhi(const TForm_Main& f);

// ---- template definitions --------------------------------------------------

int CosPhiSetOf(const TForm_Main& f);

template <int Coarse, int Fine>
RegisterScale CosPhiRegister(const TForm_Main& f) {
  switch (CosPhiSetOf(f)) {
    case 0: return {Coarse, 100};
    case 1: return {Fine, 1000};
    default: return {0, 1};
  }
}
