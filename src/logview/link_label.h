#pragma once
#include "platform/click_label.h"

#include <functional>

namespace logview {

// A link label: dark blue (0, 0, 192), underlined, a hand as mouse cursor; a click runs `onClick`.
inline platform::ClickLabel* linkLabel(QWidget* parent, const char* name, const QString& text,
                                       std::function<void()> onClick) {
    auto* l = new platform::ClickLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setAccessibleName(text);
    platform::showAsLink(l);
    l->onClick = std::move(onClick);
    return l;
}

} // namespace logview
