#pragma once
#include <QImage>
#include <QRgb>
#include <array>
#include <cstdint>

// Looks of the header's toolbar pictures. The three 47 x 48 pictures have a
// normal and a highlighted table each; a table holds the colours column by
// column (the 48 values of column 0 from top to bottom, then column 1, ...),
// each value 0x00BBGGRR.
inline constexpr int kIconColumns = 47;
inline constexpr int kIconRows = 48;
using IconTable = std::array<std::uint32_t, kIconColumns * kIconRows>;

const IconTable& SyncClockIcon(bool highlighted);
const IconTable& DataLogIcon(bool highlighted);
const IconTable& FirmwareIcon(bool highlighted);
// The three frames of the record icon's animation while the data log records.
const IconTable& RecordIconFrame(int frame);

// A table value (0x00BBGGRR) as an opaque QRgb.
inline QRgb TableColor(std::uint32_t bgr) {
  return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
// The picture a table holds.
QImage IconImage(const IconTable& table);

// The 40 x 40 load and save pictures of the grid settings, and the flags of
// the user-interface languages (0 English, 1 German, 2 French).
QImage OpenGridSetPicture();
QImage SaveGridSetPicture();
QImage FlagPicture(int language, int width, int height);
