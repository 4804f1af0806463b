#include "sim/SimPagedWindow.h"

namespace sim {

namespace {
uint8_t At(const QByteArray& b, int i) { return static_cast<uint8_t>(b[i]); }
int WordAt(const QByteArray& b, int i) { return (At(b, i) << 8) | At(b, i + 1); }
}  // namespace

std::optional<QByteArray> PagedWindowProtocol::Answer(SimInverter& dev, const QByteArray& f) {
  const int id = At(f, 0);
  const int fn = At(f, 1);
  const int reg = WordAt(f, 2) + 1;
  const int count = WordAt(f, 4);
  SimInverter::Slave* s = dev.FindSlave(id);
  if (!s || id == 0 || !dev.Hears(*s) || fn != 4 || reg < window_ || count < 1 || reg - window_ + count > size_)
    return RtuProtocol::Answer(dev, f);

  auto sel = s->holding.find(selector_);
  const int page = sel == s->holding.end() ? 0 : sel->second;
  std::lock_guard lock(mu_);
  const auto it = pages_.find({id, page});
  QByteArray r = Bytes({id, fn, 2 * count});
  for (int k = 0; k < count; ++k) {
    const size_t at = static_cast<size_t>(reg - window_ + k);
    const uint16_t v = it != pages_.end() && at < it->second.size() ? it->second[at] : 0;
    r.append(static_cast<char>(v >> 8));
    r.append(static_cast<char>(v & 0xFF));
  }
  return WithCrc(r);
}

void PagedWindowProtocol::SetPage(int id, int page, const std::vector<uint16_t>& words) {
  std::lock_guard lock(mu_);
  pages_[{id, page}] = words;
}

PagedWindowProtocol& AddPagedWindow(SimInverter& dev, int selector, int window, int size) {
  auto p = std::make_unique<PagedWindowProtocol>(selector, window, size);
  PagedWindowProtocol& ref = *p;
  dev.AddProtocol(std::move(p), true);
  return ref;
}

}  // namespace sim
