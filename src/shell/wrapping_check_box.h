#pragma once
// A check box whose caption wraps at its blanks onto as many lines as it needs, beside the box,
// so that a long caption in a narrow control stays whole ("detay  göster" on two lines).
//
// Thread: UI thread only.

#include <QCheckBox>

namespace zembera {

class WrappingCheckBox : public QCheckBox {
  public:
    WrappingCheckBox(const QString& caption, QWidget* parent);

    // As wide as the box and the widest word, as tall as the wrapped lines.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Every line of the caption takes the click, not only the one beside the box.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

  private:
    int textLeft() const;
};

} // namespace zembera
