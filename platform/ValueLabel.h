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

 private:
  QRgb color_ = clBlack;
  int tag_ = 0;
};
