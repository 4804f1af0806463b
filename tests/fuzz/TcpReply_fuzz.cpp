// The Wi-Fi link's exchange over a local socket pair, for a request the
// input chooses. Before the request goes out, bytes are already queued on
// the socket (a late or repeated reply to an earlier request); the device
// sends its answer only once the request has come in. Besides the rules of
// every reply check: the exchange's reply is made of the answer's bytes
// alone, never of what was queued before the request was sent.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "FuzzRule.h"
#include "LinkFuzz.h"

namespace {

bool SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t r = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (r <= 0) return false;
    sent += size_t(r);
  }
  return true;
}

// The device's end: waits for a request, answers it, then closes its sending
// side, so that the exchange ends with the answer instead of waiting out its
// time-out for more.
class Device {
 public:
  Device() { std::thread([this] { Run(); }).detach(); }

  void Answer(int fd, std::vector<std::uint8_t> answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    fd_ = fd;
    answer_ = std::move(answer);
    pending_ = true;
    changed_.notify_all();
  }
  void AwaitDone() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !pending_; });
  }

 private:
  void Run() {
    for (;;) {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return pending_; });
      std::uint8_t request[512];
      // Any byte of the request will do; the end of the connection too.
      if (::read(fd_, request, sizeof request) > 0) SendAll(fd_, answer_);
      ::shutdown(fd_, SHUT_WR);
      pending_ = false;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  int fd_ = -1;
  std::vector<std::uint8_t> answer_;
  bool pending_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  // Three bytes choose the request, two more give the number of queued
  // bytes that follow them; the rest is the device's answer.
  if (size < 5) return 0;
  const size_t queued = std::min<size_t>(size_t(data[3] << 8 | data[4]), size - 5);
  const std::vector<std::uint8_t> stale(data + 5, data + 5 + queued);
  const std::vector<std::uint8_t> answer(data + 5 + queued, data + size);
  static Modbus link;
  static Device* device = new Device;  // lives as long as the process
  fuzz::BuildRequest(link, data);

  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) RequireRules("no socket pair");
  ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);  // as the link's own sockets
  if (!SendAll(fds[1], stale)) RequireRules("the queued bytes could not be written");
  link.Client.Sockets[link.SlaveId] = fds[0];
  device->Answer(fds[1], answer);
  link.TransactTcp();
  link.Client.CloseSlot(link.SlaveId);  // a device still waiting for the request sees the end
  device->AwaitDone();
  ::close(fds[1]);

  RequireRules(fuzz::BrokenReplyCheck(link));
  const size_t n = size_t(link.RxLength);
  if (n > answer.size() || !std::equal(link.Reply, link.Reply + n, answer.begin()))
    RequireRules("the reply holds bytes queued before the request");
  return 0;
}
