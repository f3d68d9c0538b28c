#include "ui/ZarpeActionSheet.h"

#include "platform/foundation/NSBundle.h"

namespace {

constexpr CGFloat kToolbarHeight = 44;
constexpr CGFloat kSheetWidth = 320;

std::shared_ptr<UIBarButtonItem> flexibleSpace()
{
    return UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL());
}

}  // namespace

std::shared_ptr<ZarpeActionSheet> ZarpeActionSheet::initWithHeight(float height, const NSString& sheetTitle)
{
    auto sheet = UIActionSheet::init<ZarpeActionSheet>();
    // The platform's sheet grows by about 50 points a button, after 40 of its own.
    for (int i = 0; i < (static_cast<int>(height) - 40) / 50; ++i) sheet->addButtonWithTitle(" ");

    sheet->toolBar_ = UIToolbar::initWithFrame(CGRectMake(0, 0, kSheetWidth, kToolbarHeight));
    sheet->toolBar_->barStyle = UIBarStyleDefault;
    auto titleItem = UIBarButtonItem::initWithTitle(sheetTitle, UIBarButtonItemStylePlain, nullptr, SEL());
    auto cancel = UIBarButtonItem::initWithTitle(NSLocalizedString("signup_cancel", ""), UIBarButtonItemStyleDone, sheet->self(),
                                                 NX_SEL0(ZarpeActionSheet, done));
    sheet->toolBar_->setItems({flexibleSpace(), flexibleSpace(), titleItem, flexibleSpace(), cancel});

    sheet->view_ = UIView::initWithFrame(CGRectMake(0, kToolbarHeight, kSheetWidth, height - kToolbarHeight));
    sheet->view_->setBackgroundColor(UIColor::groupTableViewBackgroundColor());
    sheet->addSubview(sheet->toolBar_);
    sheet->addSubview(sheet->view_);
    return sheet;
}

void ZarpeActionSheet::done() { dismissWithClickedButtonIndex(0, true); }

void ZarpeActionSheet::docancel() { dismissWithClickedButtonIndex(0, true); }
