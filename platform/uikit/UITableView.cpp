#include "platform/uikit/UITableView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSException.h"
#include "platform/uikit/UITableViewParts.h"

// ---- Cell ----------------------------------------------------------------------

void UITableViewCell::setUp(UITableViewCellStyle style, const NSString& reuseIdentifier)
{
    style_ = style;
    reuseIdentifier_ = reuseIdentifier;
    const CGRect b = bounds();
    if (!contentView_) {
        contentView_ = UIView::initWithFrame(b);
        addSubview(contentView_);
    }
    if (!imageView_) {
        imageView_ = UIImageView::initWithFrame(CGRectMake(0, 0, 0, b.size.height));
        contentView_->addSubview(imageView_);
    }
    if (!textLabel_) {
        textLabel_ = UILabel::initWithFrame(CGRectMake(10, 0, b.size.width - 20, b.size.height));
        textLabel_->font = UIFont::boldSystemFontOfSize(20);
        contentView_->addSubview(textLabel_);
    }
    if (style != UITableViewCellStyleDefault && !detailTextLabel_) {
        const bool below = style == UITableViewCellStyleSubtitle;
        detailTextLabel_ = UILabel::initWithFrame(below ? CGRectMake(10, b.size.height / 2, b.size.width - 20, b.size.height / 2)
                                                        : CGRectMake(b.size.width / 2, 0, b.size.width / 2 - 10, b.size.height));
        detailTextLabel_->font = UIFont::systemFontOfSize(below ? 14 : 17);
        if (style == UITableViewCellStyleValue1) detailTextLabel_->textAlignment = UITextAlignmentRight;
        contentView_->addSubview(detailTextLabel_);
    }
    setNeedsLayout();
}

void UITableViewCell::layoutSubviews()
{
    const CGRect b = bounds();
    // The background fills the cell at the row's height.
    if (backgroundView_) backgroundView_->setFrame(b);

    CGFloat left = 0, right = b.size.width;
    if (editing_ && editingStyle == UITableViewCellEditingStyleDelete) {
        if (!deleteControl_) deleteControl_ = UIView::initWithFrame<UITableViewCellEditControl>(CGRectZero);
        deleteControl_->setFrame(CGRectMake(0, 0, UITableViewCellEditControl::kWidth, b.size.height));
        if (!deleteControl_->superview()) addSubview(deleteControl_);
        left = UITableViewCellEditControl::kWidth;
    } else if (deleteControl_) {
        deleteControl_->removeFromSuperview();
    }
    if (confirming_) {
        if (!deleteButton_) deleteButton_ = UITableViewCellDeleteButton::make();
        const CGSize size = deleteButton_->frame().size;
        deleteButton_->setFrame(CGRectMake(b.size.width - 10 - size.width, std::floor((b.size.height - size.height) / 2),
                                           size.width, size.height));
        if (!deleteButton_->superview()) addSubview(deleteButton_);
        right = deleteButton_->frame().origin.x;
    } else if (deleteButton_) {
        deleteButton_->removeFromSuperview();
    }

    // The accessory stands aside in editing mode and while Delete is out.
    UIView* accessory = nullptr;
    if (!editing_ && !confirming_) {
        if (accessoryView_) {
            accessory = accessoryView_.get();
        } else if (accessoryType != UITableViewCellAccessoryNone) {
            if (!standardAccessory_ || standardType_ != accessoryType) {
                if (standardAccessory_) standardAccessory_->removeFromSuperview();
                standardAccessory_ = UITableViewCellAccessory::initWithType(accessoryType);
                standardType_ = accessoryType;
            }
            accessory = standardAccessory_.get();
        }
    }
    if (standardAccessory_ && accessory != standardAccessory_.get()) standardAccessory_->removeFromSuperview();
    if (accessoryView_) accessoryView_->setHidden(accessory != accessoryView_.get());
    if (accessory) {
        const CGSize size = accessory->frame().size;
        accessory->setFrame(CGRectMake(b.size.width - 10 - size.width, std::floor((b.size.height - size.height) / 2),
                                       size.width, size.height));
        if (accessory == standardAccessory_.get() && !standardAccessory_->superview()) addSubview(standardAccessory_);
        right = accessory->frame().origin.x - 5;
    }
    shownAccessory_ = accessory;

    if (contentView_) contentView_->setFrame(CGRectMake(left, 0, std::max<CGFloat>(0, right - left), b.size.height));
    layoutLabels(std::max<CGFloat>(0, right - left));
}

void UITableViewCell::layoutLabels(CGFloat contentWidth)
{
    // Beside each other, the labels take the row's whole height, so their text
    // sits in the middle of a row of any height.
    const bool stacked = style_ == UITableViewCellStyleSubtitle;
    auto fitWidth = [&](UILabel* label) {
        if (!label) return;
        CGRect f = label->frame();
        f.size.width = std::max<CGFloat>(0, contentWidth - f.origin.x - 10);
        if (!stacked) f = CGRectMake(f.origin.x, 0, f.size.width, bounds().size.height);
        label->setFrame(f);
    };
    fitWidth(textLabel_.get());
    if (style_ == UITableViewCellStyleValue1 && detailTextLabel_) {
        detailTextLabel_->setFrame(CGRectMake(contentWidth / 2, 0, std::max<CGFloat>(0, contentWidth / 2 - 10), bounds().size.height));
    } else if (stacked) {
        fitWidth(detailTextLabel_.get());
    }
    if (!stacked || !textLabel_ || !detailTextLabel_ || !textLabel_->font ||
        !detailTextLabel_->font)
        return;
    const CGFloat titleHeight = std::ceil(textLabel_->font->lineHeight());
    const CGFloat detailHeight = std::ceil(detailTextLabel_->font->lineHeight());
    const CGFloat top = std::floor((bounds().size.height - titleHeight - detailHeight) / 2);
    const CGRect title = textLabel_->frame(), detail = detailTextLabel_->frame();
    textLabel_->setFrame(CGRectMake(title.origin.x, top, title.size.width, titleHeight));
    detailTextLabel_->setFrame(CGRectMake(detail.origin.x, top + titleHeight, detail.size.width, detailHeight));
}

void UITableViewCell::setAccessoryView(std::shared_ptr<UIView> v)
{
    if (accessoryView_) accessoryView_->removeFromSuperview();
    accessoryView_ = std::move(v);
    if (accessoryView_) addSubview(accessoryView_);
    setNeedsLayout();
}

void UITableViewCell::setEditing(bool editing, bool)
{
    if (editing_ == editing) return;
    editing_ = editing;
    if (!editing) confirming_ = false;
    setNeedsLayout();
}

void UITableViewCell::setShowingDeleteConfirmation(bool confirming)
{
    if (confirming_ == confirming) return;
    confirming_ = confirming;
    setNeedsLayout();
    if (deleteControl_) deleteControl_->setNeedsDisplay();
}

void UITableViewCell::setBackgroundView(std::shared_ptr<UIView> v)
{
    if (backgroundView_) backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(v);
    if (!backgroundView_) return;
    backgroundView_->setFrame(bounds());
    insertSubview(backgroundView_, 0);
}

// ---- Table ---------------------------------------------------------------------

std::shared_ptr<UITableView> UITableView::initWithFrame(CGRect frame, UITableViewStyle style)
{
    auto tv = UIView::initWithFrame<UITableView>(frame);
    tv->style_ = style;
    return tv;
}

void UITableView::setDelegate(const std::shared_ptr<UITableViewDelegate>& d)
{
    delegate_ = d;
    UIScrollView::setDelegate(d);
}

void UITableView::setTableHeaderView(std::shared_ptr<UIView> v)
{
    if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
    tableHeaderView_ = std::move(v);
    if (tableHeaderView_) addSubview(tableHeaderView_);
    layoutCells();
}

void UITableView::setTableFooterView(std::shared_ptr<UIView> v)
{
    if (tableFooterView_) tableFooterView_->removeFromSuperview();
    tableFooterView_ = std::move(v);
    if (tableFooterView_) addSubview(tableFooterView_);
    layoutCells();
}

std::vector<UITableView::Section> UITableView::measure() const
{
    std::vector<Section> sections;
    auto ds = dataSource();
    if (!ds) return sections;
    auto d = delegate();
    auto* self = const_cast<UITableView*>(this);
    const NSInteger n = std::max<NSInteger>(ds->numberOfSectionsInTableView(self).value_or(1), 0);
    CGFloat y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    for (NSInteger s = 0; s < n; ++s) {
        Section sec;
        sec.top = y;
        const auto header = headers_.find(s);
        std::optional<CGFloat> h = d ? d->tableView_heightForHeaderInSection(self, s) : std::nullopt;
        sec.header = h.value_or(header != headers_.end() ? sectionHeaderHeight : 0);
        y += sec.header;
        const NSInteger rows = std::max<NSInteger>(ds->tableView_numberOfRowsInSection(self, s), 0);
        for (NSInteger r = 0; r < rows; ++r) {
            const CGFloat rh = (d ? d->tableView_heightForRowAtIndexPath(self, {s, r}) : std::nullopt).value_or(rowHeight);
            sec.rows.push_back(rh);
            y += rh;
        }
        std::optional<CGFloat> f = d ? d->tableView_heightForFooterInSection(self, s) : std::nullopt;
        sec.footer = f.value_or(footers_.count(s) ? sectionFooterHeight : 0);
        y += sec.footer;
        sections.push_back(std::move(sec));
    }
    return sections;
}

NSInteger UITableView::numberOfRowsInSection(NSInteger section) const
{
    return section >= 0 && section < numberOfSections() ? static_cast<NSInteger>(sections_[section].rows.size()) : 0;
}

CGRect UITableView::rectForRowAtIndexPath(NSIndexPath ip) const
{
    if (ip.section < 0 || ip.section >= numberOfSections() || ip.row < 0 || ip.row >= numberOfRowsInSection(ip.section))
        return CGRectZero;
    const Section& s = sections_[ip.section];
    CGFloat y = s.top + s.header;
    for (NSInteger r = 0; r < ip.row; ++r) y += s.rows[r];
    return CGRectMake(0, y, bounds().size.width, s.rows[ip.row]);
}

// A footer's title: centred grey text under the section.
static std::shared_ptr<UIView> footerLabel(const NSString& title)
{
    if (title.isNil()) return nullptr;
    auto label = UILabel::initWithFrame(CGRectZero);
    label->setText(title);
    label->font = UIFont::systemFontOfSize(15);
    label->textColor = UIColor::colorWithRed(0.30, 0.34, 0.42, 1);
    label->textAlignment = UITextAlignmentCenter;
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

void UITableView::reloadData()
{
    auto keep = self();
    for (auto it = visible_.begin(); it != visible_.end();) recycle((it++)->first);
    for (auto& [s, v] : headers_) v->removeFromSuperview();
    for (auto& [s, v] : footers_) v->removeFromSuperview();
    headers_.clear();
    footers_.clear();
    auto ds = dataSource();
    auto d = delegate();
    const NSInteger n = ds ? std::max<NSInteger>(ds->numberOfSectionsInTableView(this).value_or(1), 0) : 0;
    for (NSInteger s = 0; s < n; ++s) {
        std::shared_ptr<UIView> header = d ? d->tableView_viewForHeaderInSection(this, s) : nullptr;
        if (!header) {
            const NSString title = ds->tableView_titleForHeaderInSection(this, s);
            if (!title.isNil()) header = UITableViewHeaderLabel::make(title, style_);
        }
        if (header) headers_[s] = header;
        std::shared_ptr<UIView> footer = d ? d->tableView_viewForFooterInSection(this, s) : nullptr;
        if (!footer) footer = footerLabel(ds->tableView_titleForFooterInSection(this, s));
        if (footer) footers_[s] = footer;
    }
    sections_ = measure();
    if (selected_ && selected_->row >= numberOfRowsInSection(selected_->section)) selected_.reset();
    confirming_.reset();
    layoutCells();
}

void UITableView::recycle(const NSIndexPath& ip)
{
    auto it = visible_.find(ip);
    if (it == visible_.end()) return;
    auto cell = it->second;
    visible_.erase(it);
    if (cell->superview() == this) cell->removeFromSuperview();
    if (!cell->reuseIdentifier().isNil()) reusable_[cell->reuseIdentifier()].push_back(cell);
}

// Fits the content size, places headers and asks for the cells of the rows in view.
void UITableView::layoutCells()
{
    const CGFloat width = bounds().size.width;
    CGFloat y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    if (tableHeaderView_) tableHeaderView_->setFrame(CGRectMake(0, 0, width, y));
    for (const auto& s : sections_) {
        y += s.header;
        for (CGFloat h : s.rows) y += h;
        y += s.footer;
    }
    if (tableFooterView_) {
        const CGFloat h = tableFooterView_->frame().size.height;
        tableFooterView_->setFrame(CGRectMake(0, y, width, h));
        y += h;
    }
    setContentSize(CGSizeMake(width, y));
    auto ds = dataSource();
    if (!ds) return;
    auto keep = self();
    const CGRect view = bounds();
    for (auto& [s, header] : headers_) {
        if (s >= numberOfSections()) continue;
        header->setFrame(CGRectMake(0, sections_[s].top, width, sections_[s].header));
        if (!header->superview()) addSubview(header);
    }
    for (auto& [s, footer] : footers_) {
        if (s >= numberOfSections()) continue;
        const Section& sec = sections_[s];
        CGFloat top = sec.top + sec.header;
        for (CGFloat h : sec.rows) top += h;
        footer->setFrame(CGRectMake(0, top, width, sec.footer));
        if (!footer->superview()) addSubview(footer);
    }
    std::vector<NSIndexPath> gone;
    for (const auto& [ip, cell] : visible_)
        if (!CGRectIntersectsRect(rectForRowAtIndexPath(ip), view)) gone.push_back(ip);
    for (const auto& ip : gone) recycle(ip);
    for (NSInteger s = 0; s < numberOfSections(); ++s) {
        for (NSInteger r = 0; r < numberOfRowsInSection(s); ++r) {
            const NSIndexPath ip{s, r};
            const CGRect rect = rectForRowAtIndexPath(ip);
            if (!CGRectIntersectsRect(rect, view) || visible_.count(ip)) continue;
            auto cell = ds->tableView_cellForRowAtIndexPath(this, ip);
            if (!cell)
                throw NSException(NSInternalInconsistencyException,
                                  "UITableView dataSource must return a cell from tableView:cellForRowAtIndexPath:");
            cell->setFrame(rect);
            cell->setSelected(selected_ == ip);
            prepare(*cell, ip);
            visible_[ip] = cell;
            insertSubview(cell, 0);
            if (auto d = delegate()) d->tableView_willDisplayCell_forRowAtIndexPath(this, cell.get(), ip);
        }
    }
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(const NSString& identifier)
{
    auto it = reusable_.find(identifier);
    if (it == reusable_.end() || it->second.empty()) return nullptr;
    auto cell = it->second.back();
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(NSIndexPath ip) const
{
    auto it = visible_.find(ip);
    return it == visible_.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() const
{
    std::vector<std::shared_ptr<UITableViewCell>> cells;
    for (const auto& [ip, cell] : visible_) cells.push_back(cell);
    return cells;
}

std::vector<NSIndexPath> UITableView::indexPathsForVisibleRows() const
{
    std::vector<NSIndexPath> ips;
    for (const auto& [ip, cell] : visible_) ips.push_back(ip);
    return ips;
}

std::optional<NSIndexPath> UITableView::indexPathForCell(const UITableViewCell* cell) const
{
    for (const auto& [ip, c] : visible_)
        if (c.get() == cell) return ip;
    return std::nullopt;
}

void UITableView::selectRowAtIndexPath(std::optional<NSIndexPath> ip, bool animated, UITableViewScrollPosition position)
{
    if (selected_)
        if (auto cell = cellForRowAtIndexPath(*selected_)) cell->setSelected(false, animated);
    selected_ = ip;
    if (!ip) return;
    if (position != UITableViewScrollPositionNone) scrollToRowAtIndexPath(*ip, position, animated);
    if (auto cell = cellForRowAtIndexPath(*ip)) cell->setSelected(true, animated);
}

void UITableView::deselectRowAtIndexPath(NSIndexPath ip, bool animated)
{
    if (selected_ != ip) return;
    selected_.reset();
    if (auto cell = cellForRowAtIndexPath(ip)) cell->setSelected(false, animated);
}

void UITableView::scrollToRowAtIndexPath(NSIndexPath ip, UITableViewScrollPosition position, bool animated)
{
    if (ip.section < 0 || ip.section >= numberOfSections() || ip.row < 0 || ip.row >= numberOfRowsInSection(ip.section))
        throw NSException(NSRangeException, NSString::stringWithFormat("row (%ld) beyond bounds for section (%ld)",
                                                                       static_cast<long>(ip.row), static_cast<long>(ip.section)));
    const CGRect row = rectForRowAtIndexPath(ip);
    const CGFloat h = bounds().size.height;
    CGPoint o = contentOffset();
    switch (position) {
    case UITableViewScrollPositionTop: o.y = row.origin.y; break;
    case UITableViewScrollPositionMiddle: o.y = CGRectGetMidY(row) - h / 2; break;
    case UITableViewScrollPositionBottom: o.y = CGRectGetMaxY(row) - h; break;
    case UITableViewScrollPositionNone:
        if (row.origin.y < o.y) o.y = row.origin.y;
        else if (CGRectGetMaxY(row) > o.y + h) o.y = CGRectGetMaxY(row) - h;
        break;
    }
    setContentOffset(restingOffset(o), animated);
}

void UITableView::beginUpdates()
{
    if (updateDepth_++ > 0) return;
    countsBefore_.clear();
    for (NSInteger s = 0; s < numberOfSections(); ++s) countsBefore_.push_back(numberOfRowsInSection(s));
    inserted_.clear();
    deleted_.clear();
}

void UITableView::endUpdates()
{
    if (updateDepth_ == 0 || --updateDepth_ > 0) return;
    checkUpdates();
}

void UITableView::insertRowsAtIndexPaths(const std::vector<NSIndexPath>& ips, UITableViewRowAnimation)
{
    beginUpdates();
    for (const auto& ip : ips) ++inserted_[ip.section];
    endUpdates();
}

void UITableView::deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& ips, UITableViewRowAnimation)
{
    beginUpdates();
    for (const auto& ip : ips) ++deleted_[ip.section];
    endUpdates();
}

// The data source must already hold the rows as they are after the update.
void UITableView::checkUpdates()
{
    auto ds = dataSource();
    if (!ds) return;
    const NSInteger n = ds->numberOfSectionsInTableView(this).value_or(1);
    if (n != static_cast<NSInteger>(countsBefore_.size()))
        throw NSException(NSInternalInconsistencyException, "Invalid update: the number of sections changed");
    for (NSInteger s = 0; s < n; ++s) {
        const NSInteger now = ds->tableView_numberOfRowsInSection(this, s);
        const NSInteger expected = countsBefore_[s] + inserted_[s] - deleted_[s];
        if (now != expected)
            throw NSException(NSInternalInconsistencyException,
                              NSString::stringWithFormat("Invalid update: invalid number of rows in section %ld: %ld "
                                                         "after the update, %ld expected",
                                                         static_cast<long>(s), static_cast<long>(now), static_cast<long>(expected)));
    }
    for (auto it = visible_.begin(); it != visible_.end();) recycle((it++)->first);
    sections_ = measure();
    if (selected_ && selected_->row >= numberOfRowsInSection(selected_->section)) selected_.reset();
    confirming_.reset();
    layoutCells();
}

void UITableView::tapRow(NSIndexPath ip)
{
    if (!allowsSelection || ip.section >= numberOfSections() || ip.row >= numberOfRowsInSection(ip.section)) return;
    auto keep = self();
    selectRowAtIndexPath(ip, false, UITableViewScrollPositionNone);
    if (auto d = delegate()) d->tableView_didSelectRowAtIndexPath(this, ip);
}

void UITableView::tapAccessoryButton(NSIndexPath ip)
{
    auto keep = self();
    if (auto d = delegate()) d->tableView_accessoryButtonTappedForRowWithIndexPath(this, ip);
}

bool UITableView::commitDelete(NSIndexPath ip)
{
    auto ds = dataSource();
    if (!ds || ds->tableView_canEditRowAtIndexPath(this, ip) == false) return false;
    auto d = delegate();
    const auto style = (d ? d->tableView_editingStyleForRowAtIndexPath(this, ip) : std::nullopt).value_or(UITableViewCellEditingStyleDelete);
    if (style != UITableViewCellEditingStyleDelete) return false;
    auto keep = self();
    ds->tableView_commitEditingStyle_forRowAtIndexPath(this, style, ip);
    return true;
}

// ---- Editing and the finger ----------------------------------------------------

UITableViewCellEditingStyle UITableView::editingStyleForRow(NSIndexPath ip) const
{
    auto* self = const_cast<UITableView*>(this);
    auto ds = dataSource();
    if (!ds || ds->tableView_canEditRowAtIndexPath(self, ip) == false) return UITableViewCellEditingStyleNone;
    auto d = delegate();
    return (d ? d->tableView_editingStyleForRowAtIndexPath(self, ip) : std::nullopt).value_or(UITableViewCellEditingStyleDelete);
}

bool UITableView::swipeDeletes(NSIndexPath ip) const
{
    auto ds = dataSource();
    return !editing_ && ds && ds->tableView_canEditRowAtIndexPath(const_cast<UITableView*>(this), ip) == true &&
           editingStyleForRow(ip) == UITableViewCellEditingStyleDelete;
}

void UITableView::prepare(UITableViewCell& cell, NSIndexPath ip)
{
    cell.editingStyle = editingStyleForRow(ip);
    // A row that cannot be edited stays as it is, accessory and all.
    auto ds = dataSource();
    cell.setEditing(editing_ && ds && ds->tableView_canEditRowAtIndexPath(this, ip) != false);
    cell.setShowingDeleteConfirmation(confirming_ == ip);
    cell.setNeedsLayout();
}

void UITableView::setEditing(bool editing, bool)
{
    editing_ = editing;
    confirming_.reset();
    for (const auto& [ip, cell] : visible_) prepare(*cell, ip);
}

void UITableView::setConfirming(std::optional<NSIndexPath> ip)
{
    const auto before = confirming_;
    confirming_ = ip;
    for (const auto& changed : {before, ip})
        if (changed)
            if (auto cell = cellForRowAtIndexPath(*changed)) cell->setShowingDeleteConfirmation(confirming_ == changed);
}

std::optional<NSIndexPath> UITableView::rowAt(CGPoint point) const
{
    for (NSInteger s = 0; s < numberOfSections(); ++s)
        for (NSInteger r = 0; r < numberOfRowsInSection(s); ++r)
            if (CGRectContainsPoint(rectForRowAtIndexPath({s, r}), point)) return NSIndexPath{s, r};
    return std::nullopt;
}

void UITableView::touchesBegan(const NSSetOfTouches& t, UIEvent*)
{
    touchStart_.reset();
    if (!t.empty()) touchStart_ = t.front()->locationInView(this);
}

void UITableView::touchesMoved(const NSSetOfTouches&, UIEvent*) {}

void UITableView::touchesCancelled(const NSSetOfTouches&, UIEvent*) { touchStart_.reset(); }

void UITableView::touchesEnded(const NSSetOfTouches& t, UIEvent*)
{
    if (!touchStart_ || t.empty()) return;
    const CGPoint start = *touchStart_, end = t.front()->locationInView(this);
    touchStart_.reset();
    const CGFloat dx = end.x - start.x, dy = end.y - start.y;
    auto keep = self();
    const auto ip = rowAt(start);
    if (std::fabs(dx) >= 30 && std::fabs(dx) > 2 * std::fabs(dy)) {
        // A swipe puts an open Delete button away, else brings the row's out.
        if (confirming_) setConfirming(std::nullopt);
        else if (ip && swipeDeletes(*ip)) setConfirming(ip);
        return;
    }
    if (std::fabs(dx) > 10 || std::fabs(dy) > 10) return;
    if (confirming_) {
        setConfirming(std::nullopt);
        return;
    }
    if (ip && (!editing_ || allowsSelectionDuringEditing)) tapRow(*ip);
}

void UITableView::deleteControlTapped(UITableViewCell* cell)
{
    const auto ip = indexPathForCell(cell);
    if (ip) setConfirming(confirming_ == ip ? std::nullopt : ip);
}

void UITableView::deleteButtonTapped(UITableViewCell* cell)
{
    const auto ip = indexPathForCell(cell);
    auto ds = dataSource();
    if (!ip || !ds) return;
    auto keep = self();
    setConfirming(std::nullopt);
    ds->tableView_commitEditingStyle_forRowAtIndexPath(this, UITableViewCellEditingStyleDelete, *ip);
}

void UITableView::accessoryButtonTapped(UITableViewCell* cell)
{
    if (const auto ip = indexPathForCell(cell)) tapAccessoryButton(*ip);
}
