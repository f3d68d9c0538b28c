#pragma once
// What the statistics screens share: counts read from the service, shares of
// a total, the bar colours of the rows and the loading box.

#include <map>
#include <memory>
#include <vector>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIView.h"
#include "ui/LoadingBoxView.h"

// A count as the service writes it: leading digits read, anything else 0,
// never negative.
long long countValue(const NSString& text);
// The count's share of the total in per cent; 0 when the total is not
// positive (a day whose shown counts are all 0).
double shareOf(long long count, long long total);

// The ten bar colours of the category rows, by row (row r uses r - 1).
std::vector<std::shared_ptr<UIColor>> typeColorList();
// The ten bar colours of the ranking rows.
std::vector<std::shared_ptr<UIColor>> rankColorList();

// A loading box titled with the text, added to the view, started and centred
// at half the view's width and y 250.
std::shared_ptr<LoadingBoxView> startLoadingBox(UIView* view, const NSString& title);

class UITableView;
class UILabel;

// What the statistics screens' interface files share, laid into the view:
// an empty scroll view behind a table filling the view (the scroll view's
// subviews go on every load, the table must not lie inside it), and the
// no-data label waiting hidden in the frame, its text in a centred label.
void addStatisticsTable(UIView* view, std::shared_ptr<UIScrollView>& scrollview, std::shared_ptr<UITableView>& table,
                        std::shared_ptr<UILabel>& dataNotFound, std::shared_ptr<UILabel>& lblNoData, CGRect noDataFrame);

// The page shown by a horizontally paging scroll view: the page whose middle
// the offset has passed. 0 while the scroll view has no width.
NSInteger pageOfScrollView(const UIScrollView* scrollView);

class ListViewController;

// The records home as the statistics pages see it.
class StatisticsPageDelegate {
public:
    virtual ~StatisticsPageDelegate() = default;
    // A page's load ended, with or without data.
    virtual void allSubviewDidload() = 0;
    // A row of the web / software category page asks for a day.
    virtual void showTimeSelectView(const std::shared_ptr<UIViewController>& page) {}
    virtual void showTimeSelectViewFromGameType(const std::shared_ptr<UIViewController>& page) {}
    // The records of a category on the chosen day, ready to be shown.
    virtual void getDataByType(const std::shared_ptr<ListViewController>& list) {}
};

class UITableViewCell;
class PercentView;

// The percentage rows (PercentView) of a table, one per row. Drawing a cell
// again replaces the row view an earlier draw put into it, so rows never pile
// up; each row's controller lives as long as its view is shown.
class PercentRows {
public:
    void show(UITableView* table, UITableViewCell* cell, NSInteger row, const NSString& title,
              const std::shared_ptr<UIColor>& color, double percent);
    // Takes any row view out of the cell (a cell drawn for another kind of row).
    static void clear(UITableViewCell* cell);
    void removeAll() { rows_.clear(); }

private:
    std::map<NSInteger, std::shared_ptr<PercentView>> rows_;
};
