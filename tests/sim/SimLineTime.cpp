#include "sim/SimLineTime.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLongestHold = std::chrono::seconds(10);

struct Member {
  int fd;
  bool handling = false;
  std::optional<LineTimePoint> due;
};

struct Shared {
  std::mutex mu;
  std::vector<Member> members;
  LineTimePoint now = Clock::now();
  Clock::time_point lastReal = Clock::now();
  std::optional<Clock::time_point> heldSince;
};

Shared& Line() {
  static Shared s;
  return s;
}

Member* Find(Shared& s, int fd) {
  const auto m = std::find_if(s.members.begin(), s.members.end(), [fd](const Member& e) { return e.fd == fd; });
  return m == s.members.end() ? nullptr : &*m;
}

// With the lock held. Polling the master side also makes the terminal layer
// queue what the tool has just written, so a request on its way counts.
bool InHand(const Shared& s, const Member& m) {
  if (m.handling || (m.due && *m.due <= s.now)) return true;
  pollfd p{m.fd, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

bool AnyInHand(const Shared& s) {
  return std::any_of(s.members.begin(), s.members.end(), [&s](const Member& m) { return InHand(s, m); });
}

// Moves the line's time on by the real time since it was last looked at,
// unless a device has a request in hand. With the lock held.
LineTimePoint Advance(Shared& s) {
  const Clock::time_point real = Clock::now();
  const auto passed = real - s.lastReal;
  s.lastReal = real;
  if (s.members.empty()) return s.now = real;
  bool stuck = false;
  if (AnyInHand(s)) {
    if (!s.heldSince) s.heldSince = real;
    if (real - *s.heldSince < kLongestHold) return s.now;
    stuck = true;
  } else {
    s.heldSince.reset();
  }
  const LineTimePoint before = s.now;
  s.now += passed;
  if (!stuck)
    for (const Member& m : s.members)
      if (m.due && *m.due < s.now) s.now = std::max(before, *m.due);
  return s.now;
}

// Waits until no device has anything in hand (at most kLongestHold).
void Settle() {
  Shared& s = Line();
  const auto since = Clock::now();
  for (;;) {
    {
      std::lock_guard lock(s.mu);
      if (!AnyInHand(s)) return;
    }
    if (Clock::now() - since >= kLongestHold) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace

LineTimePoint LineNow() {
  Shared& s = Line();
  std::lock_guard lock(s.mu);
  return Advance(s);
}

void PassLineTime(int ms) {
  Shared& s = Line();
  Settle();
  std::unique_lock lock(s.mu);
  const LineTimePoint target = Advance(s) + std::chrono::milliseconds(std::max(ms, 0));
  for (;;) {
    std::optional<LineTimePoint> next;
    for (const Member& m : s.members)
      if (m.due && *m.due > s.now && *m.due <= target && (!next || *m.due < *next)) next = m.due;
    if (!next) break;
    s.now = *next;  // the device answers at its time
    lock.unlock();
    Settle();
    lock.lock();
  }
  s.now = std::max(s.now, target);
  s.lastReal = Clock::now();
}

LineMember::LineMember(int masterFd) : fd_(masterFd) {
  Shared& s = Line();
  std::lock_guard lock(s.mu);
  if (s.members.empty()) {
    s.now = s.lastReal = Clock::now();
    s.heldSince.reset();
  }
  s.members.push_back({masterFd});
  // Installed once and left: with no device taking part it is the steady
  // clock, and the tool never sees its clock swapped under it. The tool's
  // plain waits pass at once.
  static std::once_flag installed;
  std::call_once(installed, [] {
    SetLineClock(&LineNow);
    SetLineSleep(&PassLineTime);
  });
}

LineMember::~LineMember() {
  Shared& s = Line();
  std::lock_guard lock(s.mu);
  std::erase_if(s.members, [this](const Member& m) { return m.fd == fd_; });
}

void LineMember::Handling(bool on) {
  Shared& s = Line();
  std::lock_guard lock(s.mu);
  if (Member* m = Find(s, fd_)) m->handling = on;
}

void LineMember::AnswerAt(std::optional<LineTimePoint> at) {
  Shared& s = Line();
  std::lock_guard lock(s.mu);
  if (Member* m = Find(s, fd_)) m->due = at;
}

void LineMember::WaitLineMs(int ms) {
  Shared& s = Line();
  LineTimePoint due;
  bool handling = false;
  {
    std::lock_guard lock(s.mu);
    Member* m = Find(s, fd_);
    due = Advance(s) + std::chrono::milliseconds(ms);
    if (m) {
      handling = m->handling;
      m->handling = false;
      m->due = due;
    }
  }
  while (LineNow() < due) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::lock_guard lock(s.mu);
  if (Member* m = Find(s, fd_)) {
    m->handling = handling;
    m->due.reset();
  }
}

}  // namespace sim
