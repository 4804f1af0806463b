#pragma once
#include <QImage>
#include <QLabel>

// A picture with its own pixel canvas, drawn unscaled from the top-left
// corner. Handlers paint into the canvas pixel by pixel (hover looks,
// animation frames), so the canvas keeps exact colours. It reports the mouse
// entering and leaving it and a click (left button released over it).
class ImageBox : public QLabel {
  Q_OBJECT
 public:
  explicit ImageBox(QWidget* parent = nullptr);

  // The canvas; created on first use at the control's size, filled white.
  const QImage& Canvas();
  void SetCanvas(const QImage& image);
  // Pixels outside the canvas read as 0 and are not written.
  QRgb Pixel(int x, int y);
  void SetPixel(int x, int y, QRgb rgb);

 signals:
  void MouseEnter();
  void MouseLeave();
  void Click();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void EnsureCanvas();
  QImage canvas_;
  bool pressed_ = false;
};
