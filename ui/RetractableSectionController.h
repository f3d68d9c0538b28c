#pragma once
// Table sections that open and close on a tap of their first row. Each
// section is driven by a controller: the base owns the title row, the open
// state, the row insertions and deletions and the accessory arrow; a subclass
// supplies the content rows. The owning view controller keeps one per section
// and forwards the section's row count, cells and selections to it.

#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"

// What a view controller must offer to own retractable sections.
class RetractableSectionOwner {
public:
    virtual ~RetractableSectionOwner() = default;
    virtual UITableView* tableView() const = 0;
};

class RetractableSectionController : public NSObject {
public:
    // Raises "Wrong view controller" when the controller has no table view.
    static std::shared_ptr<RetractableSectionController> initWithViewController(const std::shared_ptr<UIViewController>& vc)
    {
        return initWithViewController<RetractableSectionController>(vc);
    }
    template <class T>
    static std::shared_ptr<T> initWithViewController(const std::shared_ptr<UIViewController>& vc)
    {
        auto c = std::make_shared<T>();
        c->setUp(vc);
        return c;
    }

    std::shared_ptr<UIViewController> viewController() const { return viewController_.lock(); }
    bool isOpen() const { return open_; }
    void setOpen(bool open) { open_ = open; }
    bool isOnlyUsingWhiteImages() const { return useOnlyWhiteImages_; }
    void setUseOnlyWhiteImages(bool white) { useOnlyWhiteImages_ = white; }
    // Title colour when closed (black when unset) and when open.
    std::shared_ptr<UIColor> titleTextColor() const { return titleTextColor_; }
    void setTitleTextColor(std::shared_ptr<UIColor> c) { titleTextColor_ = std::move(c); }
    std::shared_ptr<UIColor> titleAlternativeTextColor() const { return titleAlternativeTextColor_; }
    void setTitleAlternativeTextColor(std::shared_ptr<UIColor> c) { titleAlternativeTextColor_ = std::move(c); }

    // The owner's table view.
    UITableView* tableView() const;
    // The content rows and the title row when open, the title row alone when closed.
    NSInteger numberOfRow() const;

    // What a subclass supplies.
    virtual NSInteger contentNumberOfRow() const { return 0; }
    virtual NSString title() const;
    virtual NSString holiday() const;
    virtual NSString titleContentForRow(NSInteger row);
    virtual void didSelectContentCellAtRow(NSInteger row) {}

    // Row 0 is the title; row r > 0 is content row r - 1.
    std::shared_ptr<UITableViewCell> cellForRow(NSInteger row);
    void didSelectCellAtRow(NSInteger row);

    std::shared_ptr<UITableViewCell> titleCell();
    std::shared_ptr<UITableViewCell> contentCellForRow(NSInteger row);
    // The arrow and the title colour for the open state.
    void setAccessoryViewOnCell(UITableViewCell* cell);
    // Opens or closes the section with the row animations.
    void didSelectTitleCell();

private:
    void setUp(const std::shared_ptr<UIViewController>& vc);
    std::shared_ptr<UITableViewCell> makeCell(const NSString& reuseIdentifier);
    std::weak_ptr<UIViewController> viewController_;
    bool open_ = false;
    bool useOnlyWhiteImages_ = false;
    std::shared_ptr<UIColor> titleTextColor_, titleAlternativeTextColor_;
};

// One content row of an ArraySectionController.
class ArraySectionItem {
public:
    virtual ~ArraySectionItem() = default;
    virtual NSString titleStr() const = 0;
    virtual NSString titleStr_1() const = 0;
    virtual NSString remark() const = 0;
    virtual void setRemark(const NSString& remark) = 0;
};

class ArraySectionController : public RetractableSectionController {
public:
    static std::shared_ptr<ArraySectionController> initWithArray(std::vector<std::shared_ptr<ArraySectionItem>> content,
                                                                 const std::shared_ptr<UIViewController>& vc);

    const std::vector<std::shared_ptr<ArraySectionItem>>& content() const { return content_; }
    void setContent(std::vector<std::shared_ptr<ArraySectionItem>> content) { content_ = std::move(content); }
    NSString title() const override { return title_; }
    void setTitle(const NSString& title) { title_ = title; }
    NSString holiday() const override { return holiday_; }
    void setHoliday(const NSString& holiday) { holiday_ = holiday; }

    NSInteger contentNumberOfRow() const override { return static_cast<NSInteger>(content_.size()); }
    // "   titleStr -- titleStr_1 remark"; a missing remark (nil, empty or
    // "(null)") becomes the empty string on the item too.
    NSString titleContentForRow(NSInteger row) override;
    void didSelectContentCellAtRow(NSInteger row) override;

private:
    std::vector<std::shared_ptr<ArraySectionItem>> content_;
    NSString title_, holiday_;
};
