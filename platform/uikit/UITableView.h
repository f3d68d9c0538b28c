#pragma once
// The table view and its cells. Reloading asks the data source for the counts
// and heights and for the cells that fit the visible bounds; scrolling asks
// for the cells that come into view; cells that leave are kept for reuse.
// Cells draw the standard accessories and, in editing mode, their delete
// controls; a finger on the table selects a row, a sideways swipe offers the
// row's Delete button, and a tap on Delete commits the deletion.

#include <map>
#include <optional>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"

struct NSIndexPath {
    NSInteger section = 0;
    NSInteger row = 0;
    static NSIndexPath indexPathForRow(NSInteger row, NSInteger section) { return {section, row}; }
    auto operator<=>(const NSIndexPath&) const = default;
};

enum UITableViewStyle : NSInteger { UITableViewStylePlain = 0, UITableViewStyleGrouped = 1 };
enum UITableViewCellStyle : NSInteger {
    UITableViewCellStyleDefault = 0,
    UITableViewCellStyleValue1 = 1,
    UITableViewCellStyleValue2 = 2,
    UITableViewCellStyleSubtitle = 3,
};
enum UITableViewCellAccessoryType : NSInteger {
    UITableViewCellAccessoryNone = 0,
    UITableViewCellAccessoryDisclosureIndicator = 1,
    UITableViewCellAccessoryDetailDisclosureButton = 2,
    UITableViewCellAccessoryCheckmark = 3,
};
enum UITableViewCellSelectionStyle : NSInteger {
    UITableViewCellSelectionStyleNone = 0,
    UITableViewCellSelectionStyleBlue = 1,
    UITableViewCellSelectionStyleGray = 2,
};
enum UITableViewCellEditingStyle : NSInteger {
    UITableViewCellEditingStyleNone = 0,
    UITableViewCellEditingStyleDelete = 1,
    UITableViewCellEditingStyleInsert = 2,
};
enum UITableViewCellSeparatorStyle : NSInteger {
    UITableViewCellSeparatorStyleNone = 0,
    UITableViewCellSeparatorStyleSingleLine = 1,
};
enum UITableViewRowAnimation : NSInteger {
    UITableViewRowAnimationFade = 0,
    UITableViewRowAnimationRight = 1,
    UITableViewRowAnimationLeft = 2,
    UITableViewRowAnimationTop = 3,
    UITableViewRowAnimationBottom = 4,
    UITableViewRowAnimationNone = 5,
    UITableViewRowAnimationMiddle = 6,
};
enum UITableViewScrollPosition : NSInteger {
    UITableViewScrollPositionNone = 0,
    UITableViewScrollPositionTop = 1,
    UITableViewScrollPositionMiddle = 2,
    UITableViewScrollPositionBottom = 3,
};

class UITableViewCell : public UIView {
public:
    static std::shared_ptr<UITableViewCell> initWithStyle(UITableViewCellStyle style, const NSString& reuseIdentifier)
    {
        return initWithStyle<UITableViewCell>(style, reuseIdentifier);
    }
    template <class T>
    static std::shared_ptr<T> initWithStyle(UITableViewCellStyle style, const NSString& reuseIdentifier)
    {
        auto cell = UIView::initWithFrame<T>(CGRectMake(0, 0, 320, 44));
        cell->setUp(style, reuseIdentifier);
        return cell;
    }

    const NSString& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(const NSString& r) { reuseIdentifier_ = r; }
    UITableViewCellStyle style() const { return style_; }
    UIView* contentView() const { return contentView_.get(); }
    UILabel* textLabel() const { return textLabel_.get(); }
    // nullptr in the default style.
    UILabel* detailTextLabel() const { return detailTextLabel_.get(); }
    UIImageView* imageView() const { return imageView_.get(); }

    // Shown at the cell's next layout: the table lays a cell out whenever it
    // places it. Hidden in editing mode, as on the device.
    UITableViewCellAccessoryType accessoryType = UITableViewCellAccessoryNone;
    // Takes the accessory's place when set.
    std::shared_ptr<UIView> accessoryView() const { return accessoryView_; }
    void setAccessoryView(std::shared_ptr<UIView> v);
    std::shared_ptr<UIView> backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<UIView> v);
    std::shared_ptr<UIView> selectedBackgroundView;
    UITableViewCellSelectionStyle selectionStyle = UITableViewCellSelectionStyleBlue;
    // The row's editing style, set by the table when it places the cell.
    UITableViewCellEditingStyle editingStyle = UITableViewCellEditingStyleNone;
    // In editing mode a row with the delete style shows its delete control and
    // its content moves right to make room for it.
    bool editing() const { return editing_; }
    virtual void setEditing(bool editing, bool animated = false);
    // The row's Delete button is out (after a swipe or a tap on the delete
    // control).
    bool showingDeleteConfirmation() const { return confirming_; }

    bool selected() const { return selected_; }
    virtual void setSelected(bool s, bool animated = false) { selected_ = s; }
    bool highlighted() const { return highlighted_; }
    virtual void setHighlighted(bool h, bool animated = false) { highlighted_ = h; }
    // Before the cell is handed out again by dequeueReusableCellWithIdentifier.
    virtual void prepareForReuse() { setSelected(false); setHighlighted(false); }

    // For cells from interface files, which set the style and identifier themselves.
    void setUp(UITableViewCellStyle style, const NSString& reuseIdentifier);
    // The content view spans the cell between the delete control and the
    // accessory (or the Delete button); the labels end 10 points before its
    // end. A subtitle cell lays its title over its subtitle, each a line of
    // its font high, the pair centred in the cell's height (whatever the
    // row's height and the fonts the screen chose).
    void layoutSubviews() override;

    // The standard parts the cell shows now (nullptr when none): the
    // accessory, the delete control and the Delete button.
    UIView* accessoryPart() const { return shownAccessory_; }
    UIView* deleteControl() const { return deleteControl_.get(); }
    UIView* deleteButton() const { return deleteButton_.get(); }

private:
    friend class UITableView;
    void setShowingDeleteConfirmation(bool confirming);
    void layoutLabels(CGFloat contentWidth);

    NSString reuseIdentifier_;
    UITableViewCellStyle style_ = UITableViewCellStyleDefault;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UILabel> textLabel_, detailTextLabel_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UIView> accessoryView_, backgroundView_;
    std::shared_ptr<UIView> standardAccessory_, deleteControl_, deleteButton_;
    UIView* shownAccessory_ = nullptr;
    UITableViewCellAccessoryType standardType_ = UITableViewCellAccessoryNone;
    bool selected_ = false;
    bool highlighted_ = false;
    bool editing_ = false;
    bool confirming_ = false;
};

class UITableView;

class UITableViewDataSource {
public:
    virtual ~UITableViewDataSource() = default;
    virtual std::optional<NSInteger> numberOfSectionsInTableView(UITableView* tv) { return std::nullopt; }
    virtual NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) = 0;
    virtual std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) = 0;
    virtual NSString tableView_titleForHeaderInSection(UITableView* tv, NSInteger section) { return NSString(); }
    virtual NSString tableView_titleForFooterInSection(UITableView* tv, NSInteger section) { return NSString(); }
    virtual std::optional<bool> tableView_canEditRowAtIndexPath(UITableView* tv, NSIndexPath ip) { return std::nullopt; }
    virtual void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                                NSIndexPath ip) {}
};

class UITableViewDelegate : public UIScrollViewDelegate {
public:
    virtual std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView* tv, NSIndexPath ip) { return std::nullopt; }
    virtual std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView* tv, NSInteger section) { return std::nullopt; }
    virtual std::shared_ptr<UIView> tableView_viewForHeaderInSection(UITableView* tv, NSInteger section) { return nullptr; }
    virtual std::optional<CGFloat> tableView_heightForFooterInSection(UITableView* tv, NSInteger section) { return std::nullopt; }
    virtual std::shared_ptr<UIView> tableView_viewForFooterInSection(UITableView* tv, NSInteger section) { return nullptr; }
    virtual void tableView_willDisplayCell_forRowAtIndexPath(UITableView* tv, UITableViewCell* cell, NSIndexPath ip) {}
    virtual void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) {}
    virtual std::optional<UITableViewCellEditingStyle> tableView_editingStyleForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
    {
        return std::nullopt;
    }
    virtual void tableView_accessoryButtonTappedForRowWithIndexPath(UITableView* tv, NSIndexPath ip) {}
};

class UITableView : public UIScrollView {
public:
    static std::shared_ptr<UITableView> initWithFrame(CGRect frame, UITableViewStyle style);
    UITableViewStyle style() const { return style_; }

    std::shared_ptr<UITableViewDataSource> dataSource() const { return dataSource_.lock(); }
    void setDataSource(const std::shared_ptr<UITableViewDataSource>& ds) { dataSource_ = ds; }
    std::shared_ptr<UITableViewDelegate> delegate() const { return delegate_.lock(); }
    // The table's delegate is its scroll view's delegate too.
    void setDelegate(const std::shared_ptr<UITableViewDelegate>& d);

    CGFloat rowHeight = 44;
    CGFloat sectionHeaderHeight = 22;
    CGFloat sectionFooterHeight = 22;
    UITableViewCellSeparatorStyle separatorStyle = UITableViewCellSeparatorStyleSingleLine;
    std::shared_ptr<UIColor> separatorColor;
    bool allowsSelection = true;
    std::shared_ptr<UIView> backgroundView;
    std::shared_ptr<UIView> tableHeaderView() const { return tableHeaderView_; }
    void setTableHeaderView(std::shared_ptr<UIView> v);
    std::shared_ptr<UIView> tableFooterView() const { return tableFooterView_; }
    void setTableFooterView(std::shared_ptr<UIView> v);

    void reloadData();
    NSInteger numberOfSections() const { return static_cast<NSInteger>(sections_.size()); }
    NSInteger numberOfRowsInSection(NSInteger section) const;
    CGRect rectForRowAtIndexPath(NSIndexPath ip) const;

    std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const NSString& identifier);
    // The cell shown for the row; nullptr when the row is not in view.
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(NSIndexPath ip) const;
    std::vector<std::shared_ptr<UITableViewCell>> visibleCells() const;
    std::vector<NSIndexPath> indexPathsForVisibleRows() const;
    std::optional<NSIndexPath> indexPathForCell(const UITableViewCell* cell) const;

    std::optional<NSIndexPath> indexPathForSelectedRow() const { return selected_; }
    // In code: no delegate call.
    void selectRowAtIndexPath(std::optional<NSIndexPath> ip, bool animated, UITableViewScrollPosition position);
    void deselectRowAtIndexPath(NSIndexPath ip, bool animated);
    void scrollToRowAtIndexPath(NSIndexPath ip, UITableViewScrollPosition position, bool animated);

    // Row inserts and deletes must match the data source's new counts, else
    // NSInternalInconsistencyException.
    void beginUpdates();
    void endUpdates();
    void insertRowsAtIndexPaths(const std::vector<NSIndexPath>& ips, UITableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& ips, UITableViewRowAnimation animation);

    // Editing mode: rows with the delete style show their delete controls;
    // a Delete button that is out goes back.
    bool editing() const { return editing_; }
    void setEditing(bool editing, bool animated = false);
    bool allowsSelectionDuringEditing = false;

    // The row whose Delete button is out.
    std::optional<NSIndexPath> rowShowingDeleteConfirmation() const { return confirming_; }

    // A finger on the table, as the user's touches arrive from the cells: a
    // tap selects the row (or puts an open Delete button away), a sideways
    // swipe of 30 points or more on an editable row outside editing mode
    // brings out its Delete button.
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesMoved(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesCancelled(const NSSetOfTouches& t, UIEvent* e) override;

    // Test driver: a tap on a row (selection and did-select), on its accessory
    // button, and a swipe-to-delete confirmed.
    void tapRow(NSIndexPath ip);
    void tapAccessoryButton(NSIndexPath ip);
    // False when the row cannot be edited or has no delete style.
    bool commitDelete(NSIndexPath ip);

    // From the cells' standard parts: the delete control brings the Delete
    // button out or puts it away, the Delete button commits the deletion,
    // the detail-disclosure button tells the delegate.
    void deleteControlTapped(UITableViewCell* cell);
    void deleteButtonTapped(UITableViewCell* cell);
    void accessoryButtonTapped(UITableViewCell* cell);

protected:
    void contentOffsetDidChange() override { layoutCells(); }

private:
    struct Section {
        CGFloat top = 0, header = 0, footer = 0;
        std::vector<CGFloat> rows;  // heights
    };
    std::vector<Section> measure() const;
    void layoutCells();
    // The row's editing style: none when the data source says it cannot be
    // edited, else the delegate's (delete when it says nothing).
    UITableViewCellEditingStyle editingStyleForRow(NSIndexPath ip) const;
    // Swiping needs the data source to take deletions; it says so by
    // answering that the row can be edited.
    bool swipeDeletes(NSIndexPath ip) const;
    void prepare(UITableViewCell& cell, NSIndexPath ip);
    void setConfirming(std::optional<NSIndexPath> ip);
    std::optional<NSIndexPath> rowAt(CGPoint point) const;
    void recycle(const NSIndexPath& ip);
    void checkUpdates();

    UITableViewStyle style_ = UITableViewStylePlain;
    std::weak_ptr<UITableViewDataSource> dataSource_;
    std::weak_ptr<UITableViewDelegate> delegate_;
    std::shared_ptr<UIView> tableHeaderView_, tableFooterView_;
    std::vector<Section> sections_;
    std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> visible_;
    std::map<NSInteger, std::shared_ptr<UIView>> headers_, footers_;
    std::map<NSString, std::vector<std::shared_ptr<UITableViewCell>>> reusable_;
    std::optional<NSIndexPath> selected_;
    bool editing_ = false;
    std::optional<NSIndexPath> confirming_;
    std::optional<CGPoint> touchStart_;
    int updateDepth_ = 0;
    std::vector<NSInteger> countsBefore_;
    std::map<NSInteger, NSInteger> inserted_, deleted_;
};
