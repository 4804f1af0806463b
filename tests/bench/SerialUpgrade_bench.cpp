// A complete one-device serial upgrade (enter the bootloader, select
// processor and bank, stream the image, close the bank, done) of a simulated
// inverter at 38,400 bit/s with every pause real, against its floor: the
// fixed waits of the procedure, each block's computed wait (the block's own
// time on the wire at the line speed plus the delay and margin) and the time
// on the wire of every other frame sent or received.
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <vector>

#include "link/LineClock.h"
#include "support/FirmwareImage.h"
#include "support/UpgradeFixture.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr int kBaud = 38400;
  constexpr std::uint32_t kImage = 16 * 1024;
  constexpr int kBlock = 128;
  constexpr int kDelay = 100;  // the smallest extra delay the page offers

  fw::Meta meta;
  meta.start = 0;
  meta.stop = kImage;
  meta.programSize = kBlock;
  meta.baudRate = kBaud;
  std::vector<std::uint8_t> img(kImage);
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x110);
  const QByteArray text = fw::DataLines(0, img, 16) + fw::HexLine(1, 0, {}) + "\r\n";

  upgtest::SerialBench bench({1}, 3);
  // Every pause real, on the machine's clock.
  bench.tool.LongPause = nullptr;
  SetLineSleep({});
  SetLineClock({});
  upgradeTool& tool = bench.tool;
  if (tool.LoadHexData(text) != 0) {
    std::fprintf(stderr, "image did not load\n");
    return 1;
  }
  bench.sim.SetProductId(1, meta.productId);
  bench.boot.Configure(1, [&](sim::BootDevice& d) {
    d.bootVersion = 2;
    d.hw[meta.processor] = {meta.hwMajor, meta.hwMinor};
    d.sw[meta.processor] = {1, 0};
    d.swAfterDone = {meta.swMajor, meta.swMinor};
  });
  tool.InitDevices();
  tool.QueryModes();
  tool.ReadDeviceInfo();
  tool.ShowDeviceGrid();
  tool.SelectDevices();
  if (!tool.Selected[1]) {
    std::fprintf(stderr, "device not selected\n");
    return 1;
  }
  tool.Info.AttemptDelay = kDelay;
  bench.sim.ClearFrames();
  bench.views.Clear();

  const auto t0 = std::chrono::steady_clock::now();
  const int rc = tool.UpgradeDevice(1);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (rc != 0) {
    std::fprintf(stderr, "upgrade failed\n%s\n", bench.views.Steps().join("\n").toLocal8Bit().constData());
    return 1;
  }

  // The floor. Fixed waits of a run without a retry: entering the bootloader
  // (two requests, 20 + 120 ms each), 5 s; select processor 20 + 200 ms, 5 s;
  // select bank 20 + 2,000 ms, 5 s; 5 s after the last block, 5 s; bank close
  // 20 + 500 ms, 2 s; done 20 + 200 ms.
  const double fixedMs = 2 * 140 + 5000 + 220 + 5000 + 2020 + 5000 + 5000 + 5000 + 520 + 2000 + 220;
  const int blocks = tool.Grid.ImageRows();
  const double blockMs = blocks * double((kBlock * 10000 + 120000) / kBaud + kDelay + 5);
  // Every frame but the blocks (whose time the block wait holds), each way:
  // requests as the device received them, and a reply of at most 11 bytes each.
  long long otherBytes = 0;
  int requests = 0;
  for (const sim::SimFrame& f : bench.sim.Frames())
    if (f.bytes.size() < kBlock) {
      otherBytes += f.bytes.size() + 11;
      ++requests;
    }
  const double wireMs = otherBytes * 10 * 1000.0 / kBaud;
  const double floorS = (fixedMs + blockMs + wireMs) / 1000;
  std::printf("Serial upgrade, one device, %u-byte image in %d blocks of %d bytes at %d bit/s, delay %d ms\n",
              kImage, blocks, kBlock, kBaud, kDelay);
  std::printf("  measured %.2f s; floor %.2f s (fixed waits %.2f s, block waits %.2f s, %d other frames %.3f s)\n",
              seconds, floorS, fixedMs / 1000, blockMs / 1000, requests, wireMs / 1000);
  std::printf("  ratio %.3f (target at most 1.2)\n", seconds / floorS);
  return 0;
}
