#pragma once
#include <map>
#include <mutex>
#include <vector>

#include "sim/SimInverter.h"

namespace sim {

// The inverters' energy history behind its windowed registers: the day
// history (732 words, two per day) appears 64 words at a time at registers
// 2048-2111 from day <holding 809>, the month history (240 words, two per
// month) 48 words at a time at 2112-2159 from month <holding 810>. Reads are
// function 4, writes function 6 into the same window. Everything else goes
// to the plain register maps.
class EnergyHistoryProtocol : public RtuProtocol {
 public:
  static constexpr int kDayWords = 732;
  static constexpr int kMonthWords = 240;

  std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& frame) override;

  // Thread-safe access for the tests.
  void SetDays(int id, const std::vector<uint16_t>& words);
  void SetMonths(int id, const std::vector<uint16_t>& words);
  std::vector<uint16_t> Days(int id) const;
  std::vector<uint16_t> Months(int id) const;

 private:
  struct History {
    std::vector<uint16_t> days = std::vector<uint16_t>(kDayWords);
    std::vector<uint16_t> months = std::vector<uint16_t>(kMonthWords);
  };
  mutable std::mutex mu_;
  std::map<int, History> histories_;
};

// Adds the history windows to a simulated inverter (ahead of its plain RTU
// framing) and returns them for the test to fill and inspect.
EnergyHistoryProtocol& AddEnergyHistory(SimInverter& dev);

}  // namespace sim
