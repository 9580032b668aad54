#pragma once
#include <QFrame>
#include <QLabel>
#include <QPainter>

namespace platform {

// A progress bar as the program's windows draw it: a label whose width grows inside a box. Its
// text is drawn centred over the whole box, light on the filled part and dark on the empty part,
// so it reads at any width.
class BarLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        if (text().isEmpty() || !parentWidget())
            return;
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(-x(), -y(), parentWidget()->width(), parentWidget()->height()), Qt::AlignCenter,
                   text());
    }
};

// The box of a BarLabel; set `bar` to its label.
class BarBox : public QFrame {
  public:
    using QFrame::QFrame;
    QLabel* bar = nullptr;

  protected:
    void paintEvent(QPaintEvent* e) override {
        QFrame::paintEvent(e);
        if (!bar || bar->text().isEmpty())
            return;
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter, bar->text());
    }
};

} // namespace platform
