#include "sim/SimEnergyHistory.h"

namespace sim {

namespace {
constexpr int kDayWindow = 2048, kDayWindowSize = 64, kDayWindowReg = 809;
constexpr int kMonthWindow = 2112, kMonthWindowSize = 48, kMonthWindowReg = 810;

int WordAt(const QByteArray& b, int i) { return (At(b, i) << 8) | At(b, i + 1); }
}  // namespace

std::optional<QByteArray> EnergyHistoryProtocol::Answer(SimInverter& dev, const QByteArray& f) {
  const int id = At(f, 0);
  const int fn = At(f, 1);
  const int reg = WordAt(f, 2) + 1;
  const int countOrValue = WordAt(f, 4);
  SimInverter::Slave* s = dev.FindSlave(id);
  const bool inDays = reg >= kDayWindow && reg < kDayWindow + kDayWindowSize;
  const bool inMonths = reg >= kMonthWindow && reg < kMonthWindow + kMonthWindowSize;
  if (!s || id == 0 || !dev.Hears(*s) || !(inDays || inMonths) || (fn != 4 && fn != 6))
    return RtuProtocol::Answer(dev, f);

  std::lock_guard lock(mu_);
  std::vector<uint16_t>& words = inDays ? histories_[id].days : histories_[id].months;
  const int windowReg = inDays ? kDayWindowReg : kMonthWindowReg;
  const int base = inDays ? kDayWindow : kMonthWindow;
  const int size = inDays ? kDayWindowSize : kMonthWindowSize;
  auto it = s->holding.find(windowReg);
  const int first = 2 * (it == s->holding.end() ? 0 : it->second) + (reg - base);

  if (fn == 6) {
    if (first >= 0 && first < static_cast<int>(words.size())) words[first] = static_cast<uint16_t>(countOrValue);
    return f;  // echo
  }
  const int count = countOrValue;
  if (count < 1 || reg - base + count > size) return RtuProtocol::Answer(dev, f);
  QByteArray r = Bytes({id, fn, 2 * count});
  for (int k = 0; k < count; ++k) {
    const int at = first + k;
    const uint16_t v = at < static_cast<int>(words.size()) ? words[at] : 0;
    r.append(static_cast<char>(v >> 8));
    r.append(static_cast<char>(v & 0xFF));
  }
  return WithCrc(r);
}

void EnergyHistoryProtocol::SetDays(int id, const std::vector<uint16_t>& words) {
  std::lock_guard lock(mu_);
  histories_[id].days = words;
  histories_[id].days.resize(kDayWords);
}

void EnergyHistoryProtocol::SetMonths(int id, const std::vector<uint16_t>& words) {
  std::lock_guard lock(mu_);
  histories_[id].months = words;
  histories_[id].months.resize(kMonthWords);
}

std::vector<uint16_t> EnergyHistoryProtocol::Days(int id) const {
  std::lock_guard lock(mu_);
  auto it = histories_.find(id);
  return it == histories_.end() ? std::vector<uint16_t>(kDayWords) : it->second.days;
}

std::vector<uint16_t> EnergyHistoryProtocol::Months(int id) const {
  std::lock_guard lock(mu_);
  auto it = histories_.find(id);
  return it == histories_.end() ? std::vector<uint16_t>(kMonthWords) : it->second.months;
}

EnergyHistoryProtocol& AddEnergyHistory(SimInverter& dev) {
  auto p = std::make_unique<EnergyHistoryProtocol>();
  EnergyHistoryProtocol& ref = *p;
  dev.AddProtocol(std::move(p), true);
  return ref;
}

}  // namespace sim
