#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kNormalBack(176, 224, 255);
const QColor kInk(20, 60, 120);

// Normal look: the drawing on the header's blue. Highlighted look: the same
// drawing on a white tile with a blue edge.
QImage Tile(bool highlighted) {
  QImage img(kIconColumns, kIconRows, QImage::Format_RGB32);
  img.fill(kNormalBack);
  if (highlighted) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 90, 200), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1.5, 1.5, kIconColumns - 3, kIconRows - 3), 6, 6);
  }
  return img;
}

IconTable ToTable(const QImage& img) {
  IconTable t{};
  for (int col = 0; col < kIconColumns; ++col)
    for (int row = 0; row < kIconRows; ++row) {
      const QRgb c = img.pixel(col, row);
      t[col * kIconRows + row] = std::uint32_t(qRed(c)) | std::uint32_t(qGreen(c)) << 8 |
                                 std::uint32_t(qBlue(c)) << 16;
    }
  return t;
}

IconTable DrawSyncClock(bool highlighted) {
  QImage img = Tile(highlighted);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(23.5, 24);
  p.setPen(QPen(kInk, 2.5));
  p.setBrush(QColor(255, 255, 240));
  p.drawEllipse(c, 14, 14);
  for (int h = 0; h < 12; ++h) {
    p.save();
    p.translate(c);
    p.rotate(h * 30);
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(0, -12), QPointF(0, -10));
    p.restore();
  }
  p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c, c + QPointF(0, -9));
  p.drawLine(c, c + QPointF(7, 3));
  // The two arrows of a synchronisation around the face.
  p.setPen(QPen(QColor(0, 150, 60), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(c.x() - 19, c.y() - 19, 38, 38), 30 * 16, 120 * 16);
  p.drawArc(QRectF(c.x() - 19, c.y() - 19, 38, 38), 210 * 16, 120 * 16);
  p.setBrush(QColor(0, 150, 60));
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygonF({QPointF(4, 17), QPointF(10, 22), QPointF(1, 24)}));
  p.drawPolygon(QPolygonF({QPointF(43, 31), QPointF(37, 26), QPointF(46, 24)}));
  p.end();
  return ToTable(img);
}

IconTable DrawDataLog(bool highlighted) {
  QImage img = Tile(highlighted);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9.5, 6.5, 28, 35));
  p.setPen(QPen(QColor(120, 140, 170), 1));
  for (int y = 13; y <= 37; y += 6) p.drawLine(12, y, 35, y);
  p.setPen(QPen(QColor(220, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygonF({QPointF(12, 33), QPointF(18, 24), QPointF(24, 28), QPointF(30, 15), QPointF(35, 19)}));
  p.end();
  return ToTable(img);
}

IconTable DrawFirmware(bool highlighted) {
  QImage img = Tile(highlighted);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kInk, 1.5));
  for (int i = 0; i < 4; ++i) {
    const double x = 14 + i * 6;
    p.drawLine(QPointF(x, 20), QPointF(x, 16));
    p.drawLine(QPointF(x, 40), QPointF(x, 44));
  }
  p.setBrush(QColor(50, 50, 60));
  p.drawRoundedRect(QRectF(10.5, 20.5, 26, 20), 2, 2);
  // An arrow into the chip: an image going down into the device.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 150, 60));
  p.drawRect(QRectF(20.5, 3, 6, 9));
  p.drawPolygon(QPolygonF({QPointF(15.5, 12), QPointF(31.5, 12), QPointF(23.5, 19)}));
  p.end();
  return ToTable(img);
}

// The data-log picture with a record dot that grows and fades over three
// frames while a recording runs.
IconTable DrawRecordFrame(int frame) {
  const IconTable& base = DrawDataLog(false);
  QImage img = IconImage(base);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const int alpha[3] = {255, 190, 110};
  const double radius[3] = {4.0, 5.0, 6.0};
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 0, 0, alpha[frame]));
  p.drawEllipse(QPointF(37.5, 38.5), radius[frame], radius[frame]);
  p.end();
  return ToTable(img);
}

template <IconTable (*Draw)(bool)>
const IconTable& Cached(bool highlighted) {
  static const IconTable normal = Draw(false);
  static const IconTable high = Draw(true);
  return highlighted ? high : normal;
}
}  // namespace

const IconTable& SyncClockIcon(bool highlighted) { return Cached<DrawSyncClock>(highlighted); }
const IconTable& DataLogIcon(bool highlighted) { return Cached<DrawDataLog>(highlighted); }
const IconTable& FirmwareIcon(bool highlighted) { return Cached<DrawFirmware>(highlighted); }

const IconTable& RecordIconFrame(int frame) {
  static const std::array<IconTable, 3> frames = {DrawRecordFrame(0), DrawRecordFrame(1), DrawRecordFrame(2)};
  return frames[static_cast<size_t>(frame) % 3];
}

QImage IconImage(const IconTable& table) {
  QImage img(kIconColumns, kIconRows, QImage::Format_RGB32);
  for (int col = 0; col < kIconColumns; ++col)
    for (int row = 0; row < kIconRows; ++row) img.setPixel(col, row, TableColor(table[col * kIconRows + row]));
  return img;
}

QImage OpenGridSetPicture() {
  QImage img(40, 40, QImage::Format_RGB32);
  img.fill(kNormalBack);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // An open folder.
  p.setPen(QPen(QColor(150, 100, 10), 1.5));
  p.setBrush(QColor(240, 190, 60));
  p.drawPolygon(QPolygonF({QPointF(5, 11), QPointF(15, 11), QPointF(18, 14), QPointF(33, 14), QPointF(33, 31),
                           QPointF(5, 31)}));
  p.setBrush(QColor(255, 215, 100));
  p.drawPolygon(QPolygonF({QPointF(9, 19), QPointF(37, 19), QPointF(33, 31), QPointF(5, 31)}));
  return img;
}

QImage SaveGridSetPicture() {
  QImage img(40, 40, QImage::Format_RGB32);
  img.fill(kNormalBack);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // A disk.
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(40, 90, 170));
  p.drawRoundedRect(QRectF(7.5, 7.5, 25, 25), 2, 2);
  p.setBrush(QColor(225, 230, 240));
  p.drawRect(QRectF(12.5, 8.5, 15, 9));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(11.5, 22.5, 17, 10));
  return img;
}

QImage FlagPicture(int language, int width, int height) {
  QImage img(width, height, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  if (language == 1) {  // black, red, gold
    const QColor bands[3] = {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)};
    for (int i = 0; i < 3; ++i) p.fillRect(QRect(0, i * height / 3, width, height / 3 + 1), bands[i]);
  } else if (language == 2) {  // blue, white, red
    const QColor bands[3] = {QColor(0, 85, 164), QColor(255, 255, 255), QColor(239, 65, 53)};
    for (int i = 0; i < 3; ++i) p.fillRect(QRect(i * width / 3, 0, width / 3 + 1, height), bands[i]);
  } else {  // stripes and a blue canton
    for (int i = 0; i < 7; ++i)
      p.fillRect(QRectF(0, i * 2.0 * height / 13, width, double(height) / 13), QColor(178, 34, 52));
    p.fillRect(QRectF(0, 0, width * 0.4, height * 7.0 / 13), QColor(60, 59, 110));
  }
  p.setPen(QColor(90, 90, 90));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, width - 1, height - 1);
  return img;
}
