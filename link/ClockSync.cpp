// Setting the inverters' clocks from the PC, and switching an inverter's
// register map between the maker's native map and the SunSpec map.
#include "link/ClockSync.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "link/Modbus.h"

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
