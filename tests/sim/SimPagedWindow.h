#pragma once
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "sim/SimInverter.h"

namespace sim {

// A register window whose contents depend on a page selector: input
// registers [window, window + size) show the page last written into the
// holding register `selector` (function 6). A page the test has not set reads
// as zeros. Everything else goes to the plain register maps.
class PagedWindowProtocol : public RtuProtocol {
 public:
  PagedWindowProtocol(int selector, int window, int size) : selector_(selector), window_(window), size_(size) {}

  std::optional<QByteArray> Answer(SimInverter& dev, const QByteArray& frame) override;

  // The words of one page as the window shows them (word 0 first; the test
  // puts the device's page echo there itself). Thread-safe.
  void SetPage(int id, int page, const std::vector<uint16_t>& words);

 private:
  const int selector_, window_, size_;
  std::mutex mu_;
  std::map<std::pair<int, int>, std::vector<uint16_t>> pages_;
};

// Adds a paged window to a simulated inverter (ahead of its plain RTU
// framing) and returns it for the test to fill.
PagedWindowProtocol& AddPagedWindow(SimInverter& dev, int selector, int window, int size);

}  // namespace sim
