#include "shell/canvas_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace zembera {
namespace {

int buttonValue(Qt::MouseButtons buttons) {
    int value = 0;
    if (buttons & Qt::LeftButton) value |= 1;
    if (buttons & Qt::RightButton) value |= 2;
    if (buttons & Qt::MiddleButton) value |= 4;
    return value;
}

} // namespace

CanvasWidget::CanvasWidget(int width, int height, QRgb backColor, QWidget* parent)
    : QWidget(parent), canvas_(width, height, backColor) {
    // Drawn at the screen's resolution as well, so that it is sharp there (QT_SCALE_FACTOR=2,
    // a high-density screen); nothing is drawn yet.
    canvas_.setDeviceScale(devicePixelRatioF());
    resize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasWidget::syncSize() {
    resize(canvas_.width(), canvas_.height());
}

void CanvasWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // The device image carries its pixel ratio: it covers the widget's logical size.
    painter.drawImage(0, 0, canvas_.deviceImage());
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) {
        const QPointF p = event->position();
        onMouseDown(buttonValue(event->button()), p.x(), p.y());
    }
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) {
        const QPointF p = event->position();
        onMouseMove(buttonValue(event->buttons()), p.x(), p.y());
    }
}

} // namespace zembera
