#pragma once

#include <UIKit/UILabel.h>
#include <UIKit/UIView.h>

#include <optional>

enum UITableViewCellStyle : NSInteger {
    UITableViewCellStyleDefault = 0,
    UITableViewCellStyleValue1 = 1,
    UITableViewCellStyleValue2 = 2,
    UITableViewCellStyleSubtitle = 3,
};

// One row of a table. Cells from an interface file carry their own subviews; a cell made in
// code shows its textLabel.
class UITableViewCell : public UIView {
  public:
    UITableViewCell(UITableViewCellStyle style, std::optional<NSString> reuseIdentifier);
    // The older form: a default-style cell with the given frame.
    UITableViewCell(const CGRect& frame, std::optional<NSString> reuseIdentifier);
    UITableViewCell() : UITableViewCell(UITableViewCellStyleDefault, std::nullopt) {}

    const std::optional<NSString>& reuseIdentifier() const { return reuseIdentifier_; }
    UITableViewCellStyle style() const { return style_; }
    // Made on first use.
    UILabel* textLabel();
    BOOL isSelected() const { return selected_; }
    void setSelected(BOOL selected);

    BOOL setAttributeNamed(const NSString& name, const NSString& value) override;

  private:
    UITableViewCellStyle style_;
    std::optional<NSString> reuseIdentifier_;
    UILabel* textLabel_ = nullptr;
    BOOL selected_ = NO;
};
