#pragma once
// A small glossy rounded badge holding a short text (a count), as on table
// cells and tab buttons. A touch on it is passed to its delegate as the
// selection of the tab whose button carries it.

#include "platform/uikit/UITableView.h"

class BadgeViewDelegate {
public:
    virtual ~BadgeViewDelegate() = default;
    // The tab button carrying the badge (its tag is the tab's index).
    virtual void selectedTab(UIView* button) = 0;
};

class BadgeView : public UIView {
public:
    BadgeView();
    static std::shared_ptr<BadgeView> initWithFrame(CGRect frame) { return UIView::initWithFrame<BadgeView>(frame); }

    // Text width + 16, recomputed at every drawing.
    unsigned width() const { return width_; }
    void setWidth(unsigned w) { width_ = w; }
    NSString badgeString() const { return badgeString_; }
    void setBadgeString(const NSString& s);
    UIFontRef font() const { return font_; }
    void setFont(UIFontRef f) { font_ = std::move(f); }
    // The cell whose highlighted or selected state switches the colour (not retained).
    std::shared_ptr<UITableViewCell> parent() const { return parent_.lock(); }
    void setParent(const std::shared_ptr<UITableViewCell>& cell) { parent_ = cell; }
    std::shared_ptr<UIColor> badgeColor() const { return badgeColor_; }
    void setBadgeColor(std::shared_ptr<UIColor> c) { badgeColor_ = std::move(c); }
    std::shared_ptr<UIColor> badgeColorHighlighted() const { return badgeColorHighlighted_; }
    void setBadgeColorHighlighted(std::shared_ptr<UIColor> c) { badgeColorHighlighted_ = std::move(c); }
    bool shadowEnabled() const { return shadowEnabled_; }
    void setShadowEnabled(bool e);
    std::weak_ptr<BadgeViewDelegate> delegate;

    // Adds the rounded rectangle's closed path to the context.
    void drawRoundedRect(CGRect rect, CGContextRef context, CGFloat radius) const;
    void drawRect(CGRect rect) override;
    void touchesBegan(const NSSetOfTouches& touches, UIEvent* event) override;

private:
    unsigned width_ = 0;
    NSString badgeString_;
    UIFontRef font_;
    std::weak_ptr<UITableViewCell> parent_;
    std::shared_ptr<UIColor> badgeColor_, badgeColorHighlighted_;
    bool shadowEnabled_ = false;
};
