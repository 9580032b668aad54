#pragma once
#include <QLabel>
#include <QPushButton>
#include <QString>

// Controls carry their described names as object names, so tests and other windows find them.
namespace platform {

template <class W, class... Args> W* named(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

inline QLabel* namedLabel(QWidget* parent, const char* name, const QString& text = {}) {
    return named<QLabel>(parent, name, text);
}

inline QPushButton* namedButton(QWidget* parent, const char* name, const QString& text) {
    return named<QPushButton>(parent, name, text);
}

} // namespace platform
