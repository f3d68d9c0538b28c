#include "pc/StatisticsCommon.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "platform/uikit/UIImage.h"
#include "pc/PercentView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableView.h"

long long countValue(const NSString& text)
{
    if (text.isNil()) return 0;
    const std::string& s = text.str();
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    long long value = 0;
    constexpr long long kMax = std::numeric_limits<long long>::max();
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        const int digit = s[i] - '0';
        if (value > (kMax - digit) / 10) return kMax;
        value = value * 10 + digit;
    }
    return value;
}

double shareOf(long long count, long long total)
{
    if (total <= 0) return 0;
    return static_cast<double>(count) / static_cast<double>(total) * 100;
}

namespace {

std::shared_ptr<UIColor> pattern(const char* name) { return UIColor::colorWithPatternImage(UIImage::imageNamed(name)); }

}  // namespace

std::vector<std::shared_ptr<UIColor>> typeColorList()
{
    std::vector<std::shared_ptr<UIColor>> colors;
    for (const char* name : {"redBar.jpg", "yellow.jpg", "salmon.jpg", "rosered.jpg", "green.jpg", "yellow.jpg",
                             "rosered.jpg", "redBar.jpg", "green.jpg", "salmon.jpg"})
        colors.push_back(pattern(name));
    return colors;
}

std::vector<std::shared_ptr<UIColor>> rankColorList()
{
    std::vector<std::shared_ptr<UIColor>> colors;
    for (const char* name : {"redBar.jpg", "yellow.jpg", "salmon.jpg", "rosered.jpg", "green.jpg"})
        colors.push_back(pattern(name));
    colors.push_back(UIColor::colorWithRed(0, 1, 127.0 / 255, 1));
    colors.push_back(UIColor::colorWithRed(0, 1, 1, 1));
    colors.push_back(UIColor::colorWithRed(0, 127.0 / 255, 1, 1));
    colors.push_back(UIColor::colorWithRed(0, 0, 1, 1));
    colors.push_back(UIColor::colorWithRed(127.0 / 255, 0, 1, 1));
    return colors;
}

std::shared_ptr<LoadingBoxView> startLoadingBox(UIView* view, const NSString& title)
{
    auto loading = LoadingBoxView::initWithTitle(title);
    view->addSubview(loading);
    loading->startAnimating();
    loading->setCenter(CGPointMake(view->bounds().size.width / 2, 250));
    return loading;
}

void addStatisticsTable(UIView* view, std::shared_ptr<UIScrollView>& scrollview, std::shared_ptr<UITableView>& table,
                        std::shared_ptr<UILabel>& dataNotFound, std::shared_ptr<UILabel>& lblNoData, CGRect noDataFrame)
{
    view->setBackgroundColor(UIColor::colorWithRed(0.11, 0.13, 0.17, 1));
    scrollview = UIScrollView::initWithFrame(view->bounds());
    view->addSubview(scrollview);
    table = UITableView::initWithFrame(view->bounds(), UITableViewStylePlain);
    table->setBackgroundColor(UIColor::clearColor());
    table->separatorColor = UIColor::colorWithWhite(0.3, 1);
    view->addSubview(table);
    dataNotFound = UILabel::initWithFrame(noDataFrame);
    dataNotFound->setBackgroundColor(UIColor::clearColor());
    dataNotFound->setHidden(true);
    lblNoData = UILabel::initWithFrame(dataNotFound->bounds());
    lblNoData->setBackgroundColor(UIColor::clearColor());
    lblNoData->textColor = UIColor::whiteColor();
    lblNoData->textAlignment = UITextAlignmentCenter;
    dataNotFound->addSubview(lblNoData);
    view->addSubview(dataNotFound);
}

NSInteger pageOfScrollView(const UIScrollView* scrollView)
{
    const CGFloat width = scrollView->frame().size.width;
    if (!(width > 0)) return 0;
    const double page = std::floor((scrollView->contentOffset().x - width / 2) / width) + 1;
    return std::isfinite(page) ? static_cast<NSInteger>(page) : 0;
}

namespace {
constexpr NSInteger kRowTag = 51800;
}  // namespace

void PercentRows::clear(UITableViewCell* cell)
{
    if (UIView* old = cell->viewWithTag(kRowTag)) old->removeFromSuperview();
}

void PercentRows::show(UITableView* table, UITableViewCell* cell, NSInteger index, const NSString& title,
                       const std::shared_ptr<UIColor>& color, double percent)
{
    clear(cell);
    auto row = UIViewController::init<PercentView>();
    row->frame = CGRectMake(0, 0, table->bounds().size.width, 44);
    row->title = title;
    row->color = color;
    row->percent = percent;
    row->view()->setTag(kRowTag);
    cell->addSubview(row->view());
    rows_[index] = row;
}
