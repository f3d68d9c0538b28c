#include "pc/HomeDetailAlertInfoView.h"

#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/PCRecordCommon.h"
#include "platform/uikit/UIImage.h"

void HomeDetailAlertInfoView::loadView()
{
    auto v = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    if (auto tile = UIImage::imageNamed("shouye_vesk.png")) v->setBackgroundColor(UIColor::colorWithPatternImage(tile));
    v->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    setView(v);

    setTitle(L("homedetailAlert_alert"));
    auto back = Ulvo::customBackButton(L("homedetailAlert_back"), "button_vesk", NSString(), NSString());
    back->addTarget(std::static_pointer_cast<NSObject>(shared_from_this()), NX_SEL(HomeDetailAlertInfoView, backBtnCallBack),
                    UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithCustomView(back));

    auto table = UITableView::initWithFrame(v->frame(), UITableViewStylePlain);
    table->setTag(kTableTag);
    table->separatorStyle = UITableViewCellSeparatorStyleNone;
    table->setBackgroundColor(UIColor::clearColor());
    auto self = std::static_pointer_cast<HomeDetailAlertInfoView>(shared_from_this());
    table->setDelegate(self);
    table->setDataSource(self);
    v->addSubview(table);
}

void HomeDetailAlertInfoView::setDataArrayByData(std::vector<std::shared_ptr<HomeCurLimit>> rows)
{
    mTableDataArray = std::move(rows);
    if (auto* table = dynamic_cast<UITableView*>(view()->viewWithTag(kTableTag))) table->reloadData();
}

void HomeDetailAlertInfoView::backBtnCallBack(const id&)
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

NSInteger HomeDetailAlertInfoView::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    return static_cast<NSInteger>(mTableDataArray.size());
}

std::shared_ptr<UIView> HomeDetailAlertInfoView::tableView_viewForHeaderInSection(UITableView*, NSInteger)
{
    return cellHeadView(L(mIsUrlType ? "homedetailAlert_web" : "homedetailAlert_soft"), 12, UIColor::lightGrayColor());
}

std::shared_ptr<UITableViewCell> HomeDetailAlertInfoView::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    auto cell = tv->cellForRowAtIndexPath(ip);
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "timerCell");
        cell->selectionStyle = UITableViewCellSelectionStyleNone;
        auto add = [&](NSInteger tag, CGRect frame, CGFloat size, std::shared_ptr<UIColor> color, bool centred) {
            auto l = UILabel::initWithFrame(frame);
            l->setTag(tag);
            l->font = UIFont::systemFontOfSize(size);
            l->textColor = std::move(color);
            l->setBackgroundColor(UIColor::clearColor());
            if (centred) l->textAlignment = UITextAlignmentCenter;
            cell->contentView()->addSubview(l);
            return l;
        };
        add(kKindTag, CGRectMake(0, 0, 60, 43), 16, UIColor::lightGrayColor(), true);
        auto name = add(kNameTag, CGRectMake(70, 0, 160, 43), 18, UIColor::whiteColor(), false);
        // A long site or program name shrinks before it is cut.
        name->adjustsFontSizeToFitWidth = true;
        name->minimumFontSize = 12;
        auto icon = UIImageView::initWithImage(UIImage::imageNamed("alertIcon.png"));
        icon->setCenter(CGPointMake(250, 20));
        cell->contentView()->addSubview(icon);
        add(kCountTag, CGRectMake(268, 0, 40, 43), 18, UIColor::redColor(), true);
    }
    if (ip.row % 2 == 0) cell->setBackgroundView(UIImageView::initWithImage(UIImage::imageNamed("alertTableViewCellBg.png")));
    const bool has = ip.row < static_cast<NSInteger>(mTableDataArray.size());
    const auto& row = has ? mTableDataArray[static_cast<size_t>(ip.row)] : nullptr;
    auto text = [&](NSInteger tag, const NSString& value) {
        if (auto* l = dynamic_cast<UILabel*>(cell->viewWithTag(tag))) l->setText(has ? NSString::stringWithFormat("%@", value) : NSString(""));
    };
    text(kKindTag, row ? row->type() : NSString());
    text(kNameTag, row ? row->name() : NSString());
    text(kCountTag, row ? row->num() : NSString());
    return cell;
}
