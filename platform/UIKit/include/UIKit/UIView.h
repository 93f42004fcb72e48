// A rectangle on the screen and the views inside it. Each view is drawn by one widget of the
// user-interface layer; the view and its widget live and die together. A view inside another
// view belongs to it; a view made in code belongs to whoever holds it until it is placed.
#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UIGeometry.h>
#include <UIKit/UIResponder.h>

#include <memory>
#include <vector>

class QWidget;
class UIViewController;
class UIWindow;
namespace uikit {
struct ViewAnchor;
}

class UIView : public UIResponder {
  public:
    explicit UIView(const CGRect& frame = CGRectZero);
    ~UIView() override;

    CGRect frame() const;
    void setFrame(const CGRect& frame);
    CGRect bounds() const;
    // The size the view needs to show its content within `size`; the current size by default.
    virtual CGSize sizeThatFits(const CGSize& size) const;
    // Resizes the view to sizeThatFits, keeping its origin.
    void sizeToFit();

    // Moves `view` into this view, on top of the others; this view owns it from then on.
    virtual void addSubview(UIView* view);
    void addSubview(std::unique_ptr<UIView> view);
    UIView* superview() const;
    std::vector<UIView*> subviews() const;
    UIWindow* window() const;
    BOOL isHidden() const;
    void setHidden(BOOL hidden);

    // Whether changes that may animate (pushes, table sections, alerts) do so. YES by default.
    static void setAnimationsEnabled(BOOL enabled);
    static BOOL areAnimationsEnabled();

    // ---- the user-interface layer
    QWidget* widget() const { return widget_; }
    // The view drawn by `widget`; a plain view is made for a widget that has none yet.
    static UIView* viewForWidget(QWidget* widget);
    // The controller whose view this is, if any.
    UIViewController* viewController() const { return viewController_; }
    void setViewController(UIViewController* controller) { viewController_ = controller; }

  protected:
    // A view drawn by `widget`, which the view owns while it has no parent widget.
    explicit UIView(QWidget* widget);

  private:
    friend struct uikit::ViewAnchor;
    QWidget* widget_;
    UIViewController* viewController_ = nullptr;
};

// Hands a view made in code to the autorelease pool: it is destroyed at the end of the current
// event unless something placed it meanwhile (a table that shows a cell takes it, for example).
void UIAutoreleaseView(UIView* view);
template <class T>
T* UIAutorelease(std::unique_ptr<T> view) {
    T* raw = view.release();
    UIAutoreleaseView(raw);
    return raw;
}
