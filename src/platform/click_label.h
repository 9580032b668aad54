#pragma once
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace platform {

// A label that acts like a link: the old window system's labels had click events. A press it
// handles stays with it, so a clickable parent does not run its own command as well. An
// accessibility client sees it as a link it can press (the left button).
class ClickLabel : public QLabel {
  public:
    explicit ClickLabel(QWidget* parent = nullptr) : QLabel(parent) { setFocusPolicy(Qt::TabFocus); }
    // The text is set once the label is a ClickLabel, so an accessibility client that asks about it
    // at once is told what it is.
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(parent) {
        setFocusPolicy(Qt::TabFocus);
        setText(text);
    }

    std::function<void()> onClick;
    std::function<void()> onRightClick;
    // The commands run when the button is released over the label instead of when it is pressed.
    bool onRelease = false;

  protected:
    // Reached with Tab, pressed with Space or Enter, like a button.
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

    void mousePressEvent(QMouseEvent* e) override {
        if (!handles(e)) {
            QLabel::mousePressEvent(e);
            return;
        }
        e->accept();
        if (!onRelease)
            run(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (!onRelease || !handles(e)) {
            QLabel::mouseReleaseEvent(e);
            return;
        }
        e->accept();
        if (rect().contains(e->position().toPoint()))
            run(e);
    }

  private:
    bool handles(const QMouseEvent* e) const {
        return (e->button() == Qt::RightButton && onRightClick) || (e->button() == Qt::LeftButton && onClick);
    }
    void run(const QMouseEvent* e) {
        if (e->button() == Qt::RightButton)
            onRightClick();
        else
            onClick();
    }
};

// A one-line label whose text may be longer than its place: the end is cut to "…" where it does
// not fit, and the whole text is its tooltip. Its text, and so its accessible name, stays whole.
class ElidedLabel : public QLabel {
  public:
    explicit ElidedLabel(QWidget* parent = nullptr) : QLabel(parent) {}
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}
    // Whether the text is cut where it is drawn now.
    bool elided() const;

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

// A value shown beside its caption (the label whose buddy it is), cut like ElidedLabel. A screen
// reader reads the pair: the caption as its name, its text as the value.
class ValueLabel : public ElidedLabel {
  public:
    // Without a text: a text set while the label is being made would be asked about before it is
    // a value label.
    explicit ValueLabel(QWidget* parent = nullptr) : ElidedLabel(parent) {}
};

// Draws a label as the program's links are drawn: dark blue and underlined, with the hand pointer.
// The colour is the palette's, so a label that is turned red for a while can be.
void showAsLink(QLabel* label);

// A link named `name`: it acts when the mouse button is released over it (or on Space and Enter).
inline ClickLabel* linkLabel(const QString& text, const char* name, QWidget* parent) {
    auto* l = new ClickLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    l->onRelease = true;
    showAsLink(l);
    return l;
}

// A picture box holding a picture and a caption (a toolbar item, a tab of a tab column). A
// press with any mouse button anywhere on it runs its command once, on the press; a press on
// the picture runs `onPicturePress` instead when that is set. An accessibility client sees it as
// a button (or a page tab) named by its caption, with a press action that runs `onPress`.
class PressItem : public QFrame {
  public:
    enum class Kind { Button, PageTab };
    explicit PressItem(QWidget* parent, Kind kind = Kind::Button) : QFrame(parent), kind_(kind) {
        setFocusPolicy(Qt::TabFocus);
    }

    Kind kind() const { return kind_; }
    // The picture and the caption, made by the owner; presses on them come to the item.
    void setParts(QLabel* picture, QLabel* caption) {
        picture_ = picture;
        caption_ = caption;
        for (QLabel* l : {picture, caption})
            if (l)
                l->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    }
    QLabel* picture() const { return picture_; }
    QLabel* caption() const { return caption_; }
    QString captionText() const { return caption_ ? caption_->text() : QString(); }

    std::function<void()> onPress;
    std::function<void()> onPicturePress;

    // What a press at `pos` (item coordinates) runs.
    void pressAt(const QPoint& pos) {
        if (onPicturePress && picture_ && !picture_->isHidden() && picture_->geometry().contains(pos))
            onPicturePress();
        else if (onPress)
            onPress();
    }

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        pressAt(e->position().toPoint());
    }
    // Reached with Tab, pressed with Space or Enter, like a button.
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    Kind kind_;
    QLabel* picture_ = nullptr;
    QLabel* caption_ = nullptr;
};

} // namespace platform
