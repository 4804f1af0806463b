#pragma once
// The serial line's time of the simulated devices on ptys. Once a device has
// taken part it is the tool's line clock (link/LineClock.h), on which reply
// time-outs and the waits before reading a reply are measured:
// - it stands still while a device has a request in hand (bytes the tool sent
//   that the device has not read, or a request being answered), so a slow
//   device thread cannot make an answer late;
// - it does not pass the time a device has set for an answer (a Delay or
//   Split fault, the radio's receive window) until the device has sent it;
// - otherwise it runs with the machine's steady clock.
// A device stuck for longer than 10 s lets it run again, so waits still end.
// The tool's plain waits on the line (SleepLineMs) pass at once, as
// PassLineTime.
#include <optional>

#include "link/LineClock.h"

namespace sim {

LineTimePoint LineNow();

// Lets ms of the line's time pass at once, as a long pause the tool sleeps
// through: each device first answers what it has in hand, and answers set
// for a time within the ms go out in order.
void PassLineTime(int ms);

// A device's part in the line's time, known by the master side of its pty.
class LineMember {
 public:
  explicit LineMember(int masterFd);
  ~LineMember();
  LineMember(const LineMember&) = delete;
  LineMember& operator=(const LineMember&) = delete;

  // Set around taking and answering bytes: the time stands still meanwhile.
  void Handling(bool on);
  // A deliberate wait of ms on the line's time (the time runs meanwhile but
  // does not pass the wait's end before the device is back).
  void WaitLineMs(int ms);
  // An answer set for a time on the line (nullopt: none): the time does not
  // pass it before the device clears it.
  void AnswerAt(std::optional<LineTimePoint> at);

 private:
  int fd_;
};

}  // namespace sim
