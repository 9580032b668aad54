#pragma once
#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace platform {

// A label that acts like a link: the old window system's labels had click events.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;
    std::function<void()> onRightClick;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton && onRightClick)
            onRightClick();
        else if (e->button() == Qt::LeftButton && onClick)
            onClick();
        QLabel::mousePressEvent(e);
    }
};

} // namespace platform
