#pragma once
// Today's blocked visits of one alert kind (harmful sites, forbidden sites or
// forbidden programs), pushed by the home pages with the rows they fetched.

#include <vector>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "protocol/HomeInfo.h"

class HomeDetailAlertInfoView : public UIViewController, public UITableViewDelegate, public UITableViewDataSource {
public:
    static constexpr NSInteger kTableTag = 10000001;
    static constexpr NSInteger kKindTag = 20001, kNameTag = 20002, kCountTag = 20003;

    static std::shared_ptr<HomeDetailAlertInfoView> init() { return UIViewController::init<HomeDetailAlertInfoView>(); }

    const std::vector<std::shared_ptr<HomeCurLimit>>& tableDataArray() const { return mTableDataArray; }
    void setIsUrlType(bool isUrl) { mIsUrlType = isUrl; }
    // Keeps the rows and reloads the table.
    void setDataArrayByData(std::vector<std::shared_ptr<HomeCurLimit>> rows);
    void backBtnCallBack(const id& sender);

    void loadView() override;
    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 43.0; }
    std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView*, NSInteger) override { return 22.0; }
    std::shared_ptr<UIView> tableView_viewForHeaderInSection(UITableView* tv, NSInteger section) override;

private:
    std::vector<std::shared_ptr<HomeCurLimit>> mTableDataArray;
    bool mIsUrlType = false;
};
