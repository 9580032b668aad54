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

// Stacked pages (tabs, sections): shows `page` on top of the others and hides the others, so
// they neither draw nor count as showing for an accessibility client.
template <class Pages> void showOnePage(QWidget* page, const Pages& pages) {
    page->show();
    page->raise();
    for (QWidget* p : pages)
        if (p != page)
            p->hide();
}

} // namespace platform
