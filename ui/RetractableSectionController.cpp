#include "ui/RetractableSectionController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSException.h"
#include "platform/uikit/UIImage.h"

void RetractableSectionController::setUp(const std::shared_ptr<UIViewController>& vc)
{
    if (!dynamic_cast<RetractableSectionOwner*>(vc.get()))
        throw NSException("Wrong view controller",
                          "The passed view controller to RetractableSectionController must respond to the tableView proprety");
    viewController_ = vc;
}

UITableView* RetractableSectionController::tableView() const
{
    auto vc = viewController();
    auto* owner = dynamic_cast<RetractableSectionOwner*>(vc.get());
    return owner ? owner->tableView() : nullptr;
}

NSInteger RetractableSectionController::numberOfRow() const { return open_ ? contentNumberOfRow() + 1 : 1; }

NSString RetractableSectionController::title() const { return NSLocalizedString("No title", ""); }

NSString RetractableSectionController::holiday() const { return NSLocalizedString("No holiday", ""); }

NSString RetractableSectionController::titleContentForRow(NSInteger) { return NSLocalizedString("No title", ""); }

std::shared_ptr<UITableViewCell> RetractableSectionController::cellForRow(NSInteger row)
{
    return row == 0 ? titleCell() : contentCellForRow(row - 1);
}

void RetractableSectionController::didSelectCellAtRow(NSInteger row)
{
    if (row == 0) didSelectTitleCell();
    else didSelectContentCellAtRow(row - 1);
}

std::shared_ptr<UITableViewCell> RetractableSectionController::makeCell(const NSString& reuseIdentifier)
{
    UITableView* tv = tableView();
    auto cell = tv ? tv->dequeueReusableCellWithIdentifier(reuseIdentifier) : nullptr;
    if (cell) return cell;
    cell = UITableViewCell::initWithStyle(UITableViewCellStyleValue1, reuseIdentifier);
    cell->setBackgroundColor(UIColor::clearColor());
    cell->setBackgroundView(UIImageView::initWithImage(UIImage::imageNamed("middle_round.png")));
    return cell;
}

std::shared_ptr<UITableViewCell> RetractableSectionController::titleCell()
{
    auto cell = makeCell(NSStringFromClass(*this).stringByAppendingString("title"));
    const NSInteger rows = contentNumberOfRow();
    if (rows > 0) {
        cell->textLabel()->setText(NSString::stringWithFormat("%@ (%i)", title(), rows));
        // The translation of "%@" is a format for the holiday text; the
        // formatter checks it against the argument.
        cell->detailTextLabel()->setText(NSString::stringWithFormat(NSLocalizedString("%@", ""), holiday()));
    } else {
        cell->textLabel()->setText(NSString::stringWithFormat("%@ (0)", title()));
        cell->detailTextLabel()->setText(NSLocalizedString("", ""));
    }
    cell->selectionStyle = UITableViewCellSelectionStyleBlue;
    setAccessoryViewOnCell(cell.get());
    return cell;
}

std::shared_ptr<UITableViewCell> RetractableSectionController::contentCellForRow(NSInteger row)
{
    auto cell = makeCell(NSStringFromClass(*this).stringByAppendingString("content"));
    cell->textLabel()->setText(titleContentForRow(row));
    cell->textLabel()->textColor = UIColor::whiteColor();
    return cell;
}

void RetractableSectionController::setAccessoryViewOnCell(UITableViewCell* cell)
{
    if (!cell) return;
    NSString imageName;
    if (open_) {
        cell->textLabel()->textColor =
            titleAlternativeTextColor_ ? titleAlternativeTextColor_ : UIColor::colorWithRed(0.191, 0.264, 0.446, 1);
        imageName = "UpAccessory";
    } else {
        cell->textLabel()->textColor = titleTextColor_ ? titleTextColor_ : UIColor::blackColor();
        imageName = "DownAccessory";
    }
    // The holiday note beside the title reads in the title's colour, so an
    // owner that lights the title for a dark row lights the note too.
    if (UILabel* note = cell->detailTextLabel()) note->textColor = cell->textLabel()->textColor;
    // The names carry no extension: the white variant is the name + "White".
    const NSString whiteName = imageName.stringByAppendingString("White");
    auto plain = UIImage::imageNamed(useOnlyWhiteImages_ ? whiteName : imageName);
    auto white = UIImage::imageNamed(whiteName);
    if (auto* accessory = dynamic_cast<UIImageView*>(cell->accessoryView().get())) {
        accessory->setImage(plain);
        accessory->highlightedImage = white;
    } else {
        auto view = UIImageView::initWithImage(plain);
        view->highlightedImage = white;
        cell->setAccessoryView(view);
    }
}

void RetractableSectionController::didSelectTitleCell()
{
    UITableView* tv = tableView();
    if (!tv) return;
    const auto selected = tv->indexPathForSelectedRow();
    if (!selected) return;
    open_ = !open_;
    setAccessoryViewOnCell(tv->cellForRowAtIndexPath(*selected).get());

    std::vector<NSIndexPath> rows;
    for (NSInteger r = 1; r <= contentNumberOfRow(); ++r) rows.push_back(NSIndexPath::indexPathForRow(r, selected->section));
    tv->beginUpdates();
    if (open_) tv->insertRowsAtIndexPaths(rows, UITableViewRowAnimationTop);
    else tv->deleteRowsAtIndexPaths(rows, UITableViewRowAnimationTop);
    tv->endUpdates();

    if (open_) tv->scrollToRowAtIndexPath(*selected, UITableViewScrollPositionTop, true);
    tv->deselectRowAtIndexPath(*selected, true);
}

// ---- Rows from an array ---------------------------------------------------------------

std::shared_ptr<ArraySectionController> ArraySectionController::initWithArray(
    std::vector<std::shared_ptr<ArraySectionItem>> content, const std::shared_ptr<UIViewController>& vc)
{
    auto c = initWithViewController<ArraySectionController>(vc);
    c->content_ = std::move(content);
    return c;
}

NSString ArraySectionController::titleContentForRow(NSInteger row)
{
    if (row < 0 || row >= contentNumberOfRow()) return NSString();
    const auto& item = content_[static_cast<size_t>(row)];
    const NSString remark = item->remark();
    if (remark.isNil() || remark.length() == 0 || remark == "(null)") item->setRemark("");
    return NSString::stringWithFormat("   %@ -- %@ %@", item->titleStr(), item->titleStr_1(), item->remark());
}

void ArraySectionController::didSelectContentCellAtRow(NSInteger)
{
    UITableView* tv = tableView();
    if (!tv) return;
    if (auto selected = tv->indexPathForSelectedRow()) tv->deselectRowAtIndexPath(*selected, true);
}
