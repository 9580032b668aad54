#include "platform/click_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolTip>

namespace platform {

namespace {

bool isPressKey(const QKeyEvent* e) {
    const Qt::KeyboardModifiers m = e->modifiers() & ~Qt::KeypadModifier;
    return m == Qt::NoModifier &&
           (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter);
}

// The style's focus frame around the whole control, so the keyboard user sees where Tab went.
void paintFocus(QWidget* w) {
    if (!w->hasFocus())
        return;
    QPainter p(w);
    QStyleOptionFocusRect o;
    o.initFrom(w);
    o.rect = w->rect().adjusted(1, 1, -1, -1);
    o.backgroundColor = w->palette().color(QPalette::Window);
    w->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, w);
}

} // namespace

void ClickLabel::keyPressEvent(QKeyEvent* e) {
    if (onClick && isPressKey(e)) {
        e->accept();
        onClick();
        return;
    }
    QLabel::keyPressEvent(e);
}

void ClickLabel::paintEvent(QPaintEvent* e) {
    QLabel::paintEvent(e);
    paintFocus(this);
}

bool ElidedLabel::elided() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

bool ElidedLabel::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (elided())
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(e);
}

void ElidedLabel::paintEvent(QPaintEvent* e) {
    if (!elided()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    const QRect r = contentsRect();
    style()->drawItemText(&p, r, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideRight, r.width()), foregroundRole());
}

void showAsLink(QLabel* label) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 192));
    label->setPalette(p);
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    label->setCursor(Qt::PointingHandCursor);
}

void PressItem::keyPressEvent(QKeyEvent* e) {
    if (onPress && isPressKey(e)) {
        e->accept();
        onPress();
        return;
    }
    QFrame::keyPressEvent(e);
}

void PressItem::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    paintFocus(this);
}

} // namespace platform
