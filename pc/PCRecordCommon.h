#pragma once
// What the home page, the record screens and the black lists share: the
// message shown for two seconds, the title label of a day's list, the
// section header strip, the day window of the records and the service's own
// domain test.

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIView.h"

// Queues the HUD with the text onto the main thread (it shows once the
// running handler returns) and hides it two seconds later, while the view lives.
void showMessageForTwoSeconds(const std::shared_ptr<UIView>& view, const NSString& text);

// The navigation bar's title view of a list: white system font 12, centred,
// on a clear background, 200 x 44.
std::shared_ptr<UILabel> titleLabel(const NSString& text);

// A 320 x 22 strip tiled with "cell_head.png" holding a label at x 10.
std::shared_ptr<UIView> cellHeadView(const NSString& text, CGFloat fontSize, std::shared_ptr<UIColor> color);

// Whether the day ("yyyy-MM-dd") is the server's day or one of the two days
// before it. The server's day is the first ten characters of the stored
// server time; when that does not read as a day, the local day of the
// present time stands in.
bool inRecordDayWindow(const NSString& day);

// Whether the text names the service's own web domain anywhere (case as typed).
bool namesOwnDomain(const NSString& text);

// The visit time "yyyy-MM-dd HH:mm:ss" from its tenth character (a blank and
// the clock time); a shorter text whole.
NSString clockPartOfVisit(const NSString& visitedTime);

// The text, or the strings table's text for the key when the text is nil or empty.
NSString orText(const NSString& text, const char* key);

// Reply items as the objects a list holds.
template <class Item>
std::vector<id> ids(const std::vector<std::shared_ptr<Item>>& items)
{
    return std::vector<id>(items.begin(), items.end());
}

// Largest count first, as compareNum orders the items.
template <class Item>
void sortByCount(std::vector<std::shared_ptr<Item>>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a->compareNum(*b) == NSOrderedAscending;
    });
}

// The row at the end of a paged list: the text centred, a grey spinner
// turning at x in the middle of the row.
std::shared_ptr<UITableViewCell> loadingRowCell(const NSString& text, CGFloat spinnerX);
