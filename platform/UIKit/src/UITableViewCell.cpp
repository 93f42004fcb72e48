#include <UIKit/UITableViewCell.h>

#include <QLabel>

#include "CellWidget.h"
#include "Style.h"

namespace {
uikit::CellWidget* cellWidget(const UIView* view) {
    return static_cast<uikit::CellWidget*>(view->widget());
}
}  // namespace

UITableViewCell::UITableViewCell(UITableViewCellStyle style,
                                 std::optional<NSString> reuseIdentifier)
    : UIView(new uikit::CellWidget), style_(style), reuseIdentifier_(std::move(reuseIdentifier)) {
    setFrame(CGRectMake(0, 0, 320, 44));
}

UITableViewCell::UITableViewCell(const CGRect& frame, std::optional<NSString> reuseIdentifier)
    : UITableViewCell(UITableViewCellStyleDefault, std::move(reuseIdentifier)) {
    setFrame(frame);
}

UILabel* UITableViewCell::textLabel() {
    if (!textLabel_ && widget()) {
        auto label = std::make_unique<UILabel>(CGRectMake(10, 0, frame().size.width - 20, 44));
        label->widget()->setObjectName(QStringLiteral("textLabel"));
        textLabel_ = label.get();
        addSubview(std::move(label));
    }
    return textLabel_;
}

void UITableViewCell::setSelected(BOOL selected) {
    selected_ = selected;
    if (widget()) cellWidget(this)->setSelectedLook(selected);
}

BOOL UITableViewCell::setAttributeNamed(const NSString& name, const NSString& value) {
    if (name == "reuseIdentifier") {
        reuseIdentifier_ = value;
        return YES;
    }
    if (name == "background" && (value == "none" || value == "default")) {
        if (widget()) cellWidget(this)->setBackgroundShown(value == "default");
        return YES;
    }
    return UIView::setAttributeNamed(name, value);
}
