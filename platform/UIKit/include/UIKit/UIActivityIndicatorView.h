#pragma once

#include <UIKit/UIView.h>

enum UIActivityIndicatorViewStyle : NSInteger {
    UIActivityIndicatorViewStyleWhiteLarge = 0,
    UIActivityIndicatorViewStyleWhite = 1,
    UIActivityIndicatorViewStyleGray = 2,
};

// The spinning busy indicator.
class UIActivityIndicatorView : public UIView {
  public:
    explicit UIActivityIndicatorView(UIActivityIndicatorViewStyle style);
    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    void startAnimating();
    void stopAnimating();
    BOOL isAnimating() const;
    BOOL hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(BOOL hides);

  private:
    UIActivityIndicatorViewStyle style_;
    BOOL hidesWhenStopped_ = YES;
};
