// Loading a 1 MB firmware image from Intel HEX text (16-byte records, CR LF):
// parse, meta block, layout, erase units and both checksums. Reports the
// image megabytes per second and the text megabytes per second.
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/FirmwareImage.h"
#include "upgrade/Upgrade.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr std::uint32_t kImage = 1u << 20;
  fw::Meta meta;
  meta.start = 0x00000000;
  meta.stop = kImage;
  meta.programSize = 128;
  meta.eraseSize = 255;
  std::vector<std::uint8_t> img(kImage);
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
  std::fill(img.begin() + kImage / 2, img.begin() + kImage / 2 + 64 * 1024, 0xFF);  // an erased stretch
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x110);

  QByteArray text;
  for (std::uint32_t seg = 0; seg < kImage; seg += 0x10000) {
    text += fw::HexLine(4, 0, {static_cast<std::uint8_t>(seg >> 24), static_cast<std::uint8_t>(seg >> 16)}) + "\r\n";
    text += fw::DataLines(0, {img.begin() + seg, img.begin() + seg + 0x10000}, 16);
  }
  text += fw::HexLine(1, 0, {}) + "\r\n";

  upgradeTool tool;
  fw::Recorder views;
  tool.Views = &views;
  constexpr int kRuns = 20;
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    views = {};
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = tool.LoadHexData(text);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    if (rc != 0 || tool.Info.Length10 != static_cast<int>(kImage)) {
      std::fprintf(stderr, "load failed: %d, length %d\n", rc, tool.Info.Length10);
      return 1;
    }
  }
  std::sort(ms.begin(), ms.end());
  const double median = ms[ms.size() / 2];
  std::printf("HEX load, 1 MiB image (%.2f MB of text), %d runs\n", text.size() / 1e6, kRuns);
  std::printf("  median %.1f ms, best %.1f ms, worst %.1f ms\n", median, ms.front(), ms.back());
  std::printf("  %.0f MB/s of image (median), %.0f MB/s of text; target 50 MB/s of image\n",
              kImage / 1e6 / (median / 1e3), text.size() / 1e6 / (median / 1e3));
  std::printf("  %s\n", views.upgradeEvents.join(" | ").toLocal8Bit().constData());
  return 0;
}
