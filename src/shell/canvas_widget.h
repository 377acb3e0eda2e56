#pragma once
// A picture box: a widget that shows its persistent canvas image and reports mouse presses and
// moves in the image's pixel coordinates (button values 1 left, 2 right, 4 middle, summed).

#include <QWidget>
#include <functional>

#include "canvas/canvas_image.h"

namespace zembera {

class CanvasWidget : public QWidget {
  public:
    using MouseHandler = std::function<void(int button, double x, double y)>;

    CanvasWidget(int width, int height, QRgb backColor, QWidget* parent);

    CanvasImage& canvas() { return canvas_; }
    // Shows what has been drawn since the last refresh.
    void refresh() { update(); }
    // Follows a change of the canvas width.
    void syncSize();

    MouseHandler onMouseDown;
    MouseHandler onMouseMove;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    CanvasImage canvas_;
};

} // namespace zembera
