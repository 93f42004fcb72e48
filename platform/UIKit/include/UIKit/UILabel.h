#pragma once

#include <UIKit/UIView.h>

#include <optional>

enum UITextAlignment : NSInteger {
    UITextAlignmentLeft = 0,
    UITextAlignmentCenter = 1,
    UITextAlignmentRight = 2,
};

class UILabel : public UIView {
  public:
    explicit UILabel(const CGRect& frame = CGRectZero);
    std::optional<NSString> text() const;
    void setText(const std::optional<NSString>& text);
    UITextAlignment textAlignment() const;
    void setTextAlignment(UITextAlignment alignment);
    // The size of the text on one line; for a label of several lines (an interface file's
    // word-wrapping one), wrapped within `size`'s width.
    CGSize sizeThatFits(const CGSize& size) const override;
};
