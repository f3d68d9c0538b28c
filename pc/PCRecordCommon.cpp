#include "pc/PCRecordCommon.h"

#include "app/PCTimeCommon.h"
#include "app/ScreenParts.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Constant.h"
#include "protocol/ServiceConfig.h"

void showMessageForTwoSeconds(const std::shared_ptr<UIView>& view, const NSString& text)
{
    std::weak_ptr<UIView> weak = view;
    NSThread::performBlockOnMainThread([weak, text] {
        if (auto v = weak.lock()) addHud(v.get(), text);
    }, false);
    NSTimer::scheduledTimerWithTimeInterval(2.0, false, [weak](NSTimer&) {
        if (auto v = weak.lock()) hideHUD(v.get());
    });
}

std::shared_ptr<UILabel> titleLabel(const NSString& text)
{
    auto label = whiteLabel(CGRectMake(0, 0, 200, 44), 12);
    label->textAlignment = UITextAlignmentCenter;
    label->setText(text);
    return label;
}

std::shared_ptr<UIView> cellHeadView(const NSString& text, CGFloat fontSize, std::shared_ptr<UIColor> color)
{
    auto strip = UIView::initWithFrame(CGRectMake(0, 0, 320, 22));
    if (auto image = UIImage::imageNamed("cell_head.png")) strip->setBackgroundColor(UIColor::colorWithPatternImage(image));
    auto label = UILabel::initWithFrame(CGRectMake(10, 0, 320, 22));
    label->font = UIFont::systemFontOfSize(fontSize);
    label->textColor = std::move(color);
    label->setBackgroundColor(UIColor::clearColor());
    label->setText(text);
    strip->addSubview(label);
    return strip;
}

namespace {

std::optional<NSDate> dayOf(const NSString& text)
{
    if (text.isNil() || text.length() < 10) return std::nullopt;
    auto formatter = NSDateFormatter::init();
    formatter->setDateFormat("yyyy-MM-dd");
    return formatter->dateFromString(text.substringToIndex(10));
}

}  // namespace

bool inRecordDayWindow(const NSString& day)
{
    auto chosen = dayOf(day);
    auto server = dayOf(Constant::serverTime());
    if (!server) server = dayOf(Constant::currentTime());
    if (!chosen || !server) return false;
    const long days = NSCalendar::currentCalendar()->components(NSDayCalendarUnit, *chosen, *server, 0).day();
    return days >= 0 && days <= 2;
}

bool namesOwnDomain(const NSString& text)
{
    return text.isNil() || text.rangeOfString(ServiceConfig::ownDomain()).location != NSNotFound;
}

NSString clockPartOfVisit(const NSString& visitedTime)
{
    return visitedTime.length() < 10 ? visitedTime : visitedTime.substringFromIndex(10);
}

NSString orText(const NSString& text, const char* key) { return text.isNil() || text == "" ? L(key) : text; }

std::shared_ptr<UITableViewCell> loadingRowCell(const NSString& text, CGFloat spinnerX)
{
    auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, NSString());
    cell->textLabel()->setText(text);
    cell->textLabel()->textAlignment = UITextAlignmentCenter;
    auto spinner = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray);
    spinner->setCenter(CGPointMake(spinnerX, cell->bounds().size.height / 2));
    spinner->startAnimating();
    cell->contentView()->addSubview(spinner);
    return cell;
}
