#include "ViewAnchor.h"

namespace uikit {

ViewAnchor::ViewAnchor(UIView* v, QWidget* widget) : QObject(widget), view(v) {
    setObjectName(QStringLiteral("uikit-anchor"));
}

ViewAnchor::~ViewAnchor() {
    if (!view) return;
    UIView* dying = view;
    view = nullptr;
    dying->widget_ = nullptr;  // the widget is going already
    delete dying;
}

ViewAnchor* ViewAnchor::of(const QWidget* widget) {
    if (!widget) return nullptr;
    for (QObject* child : widget->children())
        if (auto* anchor = dynamic_cast<ViewAnchor*>(child)) return anchor;
    return nullptr;
}

}  // namespace uikit
