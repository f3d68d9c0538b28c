#include "phone/PosSelectViewController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"

namespace {

// The interface file: a dark page with the list below the navigation bar.
const bool kNib = (UINib::registerNib("PosSelectViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<PosSelectViewController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 460));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->_table = UITableView::initWithFrame(CGRectMake(0, 44, 320, 416), UITableViewStylePlain);
    screen->_table->setBackgroundColor(UIColor::clearColor());
    screen->_table->setDataSource(std::dynamic_pointer_cast<UITableViewDataSource>(owner->shared_from_this()));
    screen->_table->setDelegate(std::dynamic_pointer_cast<UITableViewDelegate>(owner->shared_from_this()));
    view->addSubview(screen->_table);
    return std::vector<id>{view};
}), true);

}  // namespace

std::shared_ptr<PosSelectViewController> PosSelectViewController::initWithArray(
    std::vector<std::shared_ptr<MapPointAnnotion>> pins)
{
    auto screen = UIViewController::initWithNibName<PosSelectViewController>("PosSelectViewController", NSString());
    screen->_tableData = std::move(pins);
    return screen;
}

void PosSelectViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto bar = UIView::initWithFrame<UINavigationBar>(CGRectMake(0, 0, view()->bounds().size.width, 44));
    bar->barStyle = UIBarStyleBlack;
    view()->addSubview(bar);
    auto item = std::make_shared<UINavigationItem>();
    item->title = L("posselectviewctrl_selectpos");
    item->setLeftBarButtonItem(veskBarItem(L("posselectviewctrl_back"), std::static_pointer_cast<NSObject>(shared_from_this()),
                                           NX_SEL0(PosSelectViewController, goBack)));
    bar->pushNavigationItem(item, true);
    _table->reloadData();
}

void PosSelectViewController::goBack() { dismissModalViewControllerAnimated(true); }

NSInteger PosSelectViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    return static_cast<NSInteger>(_tableData.size());
}

std::shared_ptr<UITableViewCell> PosSelectViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    static const NSString kIdentifier("infoCell");
    auto cell = tv->dequeueReusableCellWithIdentifier(kIdentifier);
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, kIdentifier);
        auto label = UILabel::initWithFrame(CGRectMake(10, 0, 320, 44));
        label->setBackgroundColor(UIColor::clearColor());
        label->font = UIFont::boldSystemFontOfSize(13);
        label->textColor = UIColor::whiteColor();
        label->numberOfLines = 0;
        label->setTag(kRowLabelTag);
        cell->contentView()->addSubview(label);
    }
    const auto& pin = _tableData[static_cast<size_t>(ip.row)];
    const CLLocationCoordinate2D at = pin->coordinate();
    static_cast<UILabel*>(cell->viewWithTag(kRowLabelTag))
        ->setText(NSString::stringWithFormat("%@(%.4f,%.4f)", pin->subtitle(), at.latitude, at.longitude));
    return cell;
}

std::optional<CGFloat> PosSelectViewController::tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) { return 44; }

void PosSelectViewController::tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    if (auto d = delegate.lock()) d->showSelectPos(_tableData[static_cast<size_t>(ip.row)]->description());
    goBack();
}
