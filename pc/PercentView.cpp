#include "pc/PercentView.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIImage.h"

namespace {

// A share the bar can draw: not a number counts as 0, and the length stays
// within the track.
double drawable(double percent) { return std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0.0; }

std::shared_ptr<UILabel> clearLabel(CGRect frame, CGFloat size)
{
    auto label = UILabel::initWithFrame(frame);
    label->setBackgroundColor(UIColor::clearColor());
    label->font = UIFont::systemFontOfSize(size);
    return label;
}

// The interface file: the name on the left, the track with its bar in the
// middle (the bar's width is the full length), the share on the right. It is
// laid out for a full-width row, the ranking's; in a narrower row (the
// records home's pages) the name gives up the difference. The share ends 30
// points short of the row's end, clear of a disclosure indicator there.
const bool kNib = (UINib::registerNib("PercentView", [](NSObject* owner) {
    auto* row = dynamic_cast<PercentView*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 44));
    view->setBackgroundColor(UIColor::clearColor());
    row->buttonTitle = clearLabel(CGRectMake(8, 0, 134, 44), 14);
    row->buttonTitle->textColor = UIColor::whiteColor();
    row->buttonTitle->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    // A long site name shrinks before it is cut.
    row->buttonTitle->adjustsFontSizeToFitWidth = true;
    row->buttonTitle->minimumFontSize = 11;
    row->processBack = clearLabel(CGRectMake(146, 15, 80, 14), 12);
    row->colorLabel = clearLabel(CGRectMake(149, 15, 80, 14), 12);
    row->percentLabel = clearLabel(CGRectMake(230, 0, 60, 44), 13);
    row->percentLabel->textColor = UIColor::whiteColor();
    row->percentLabel->textAlignment = UITextAlignmentRight;
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{row->processBack, row->colorLabel, row->percentLabel})
        v->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{row->buttonTitle, row->processBack, row->colorLabel,
                                                             row->percentLabel})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

}  // namespace

NSString PercentView::percentText(double percent)
{
    return NSString::stringWithFormat("%.2f%%", std::isfinite(percent) ? percent : 0.0);
}

void PercentView::viewDidLoad()
{
    view()->setFrame(frame);
    const CGRect full = colorLabel->frame();
    const CGFloat x = std::trunc(full.origin.x - 3), y = std::trunc(full.origin.y);
    const CGFloat width = std::trunc(full.size.width), height = std::trunc(full.size.height);
    percentLabel->setText(percentText(percent));
    colorLabel->setBackgroundColor(color);
    colorLabel->setFrame(CGRectMake(x, y, width * drawable(percent) / 100, height));
    processBack->setBackgroundColor(UIColor::colorWithPatternImage(UIImage::imageNamed("processBack_vesk.jpg")));
    buttonTitle->setText(title);
    UIViewController::viewDidLoad();
}

void PercentView::viewDidUnload()
{
    percentLabel.reset();
    colorLabel.reset();
    titleLabel.reset();
    titleButton.reset();
}

std::shared_ptr<UIView> PercentWithLabel::initWithFrame(CGRect frame, const std::shared_ptr<UIColor>& color,
                                                       double percent, const NSString& label)
{
    const CGFloat W = std::trunc(frame.size.width - 150), H = std::trunc(frame.size.height - 10);
    const double shown = std::isfinite(percent) ? std::min(percent, 100.0) : 0.0;
    auto container = UIView::initWithFrame(frame);
    container->setBackgroundColor(UIColor::clearColor());
    auto track = UIView::initWithFrame(CGRectMake(18, 8, W + 24, H - 6));
    track->setBackgroundColor(UIColor::grayColor());
    auto bar = UIView::initWithFrame(CGRectMake(20, 10, std::max(0.0, W * drawable(shown) / 100 + 20), H - 10));
    bar->setBackgroundColor(color);
    auto share = clearLabel(CGRectMake(W + 80, 10, 80, H - 10), 14);
    share->setText(PercentView::percentText(shown));
    container->addSubview(share);
    container->addSubview(track);
    container->addSubview(bar);
    auto caption = clearLabel(CGRectMake(0, 0, W + 24, bar->frame().size.height), 14);
    caption->setText(label);
    bar->addSubview(caption);
    return container;
}
