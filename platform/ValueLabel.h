#pragma once
#include <QLabel>
#include <QRgb>

// Font colours that carry state; the stale and restore passes select labels by
// exact colour, so they are compared as RGB values, never by palette role.
inline constexpr QRgb clBlack = 0xFF000000u;
inline constexpr QRgb clBlue = 0xFF0000FFu;   // read back from the inverter
inline constexpr QRgb clRed = 0xFFFF0000u;    // written, not yet confirmed
inline constexpr QRgb clGreen = 0xFF008000u;  // finished
inline constexpr QRgb clSilver = 0xFFC0C0C0u;

// A label with an explicit font colour state and a Tag (1 = translated caption).
class ValueLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ValueLabel(QWidget* parent = nullptr);
  QRgb fontColor() const { return color_; }
  void setFontColor(QRgb rgb);
  // Text and colour in one step, as the views paint a value.
  void show(const QString& text, QRgb rgb) {
    setText(text);
    setFontColor(rgb);
  }
  using QLabel::show;
  int Tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  // A caption whose colour tells how a command went ("Sync Clock"): it shows
  // no value, so the passes that mark values stale or void leave it alone.
  bool IsCaption() const { return caption_; }
  void setCaption(bool caption) { caption_ = caption; }

 private:
  QRgb color_ = clBlack;
  int tag_ = 0;
  bool caption_ = false;
};

// The labels of a window that show values, captions left out: the ones the
// stale and restore passes and an inverter switch turn into "??".
QList<ValueLabel*> ValueLabelsOf(const QWidget* window);
