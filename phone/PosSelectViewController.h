#pragma once
// The places of the chosen day as a modal list, each row its address and
// coordinates; choosing one tells the delegate which place (by its times
// text) and closes the list.

#include <memory>
#include <vector>

#include "phone/MapPointAnnotion.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"

class PosSelectViewControllerDelegate {
public:
    virtual ~PosSelectViewControllerDelegate() = default;
    virtual void showSelectPos(const NSString& times) = 0;
};

class PosSelectViewController : public UIViewController, public UITableViewDelegate, public UITableViewDataSource {
public:
    static constexpr NSInteger kRowLabelTag = 77001;

    // From the interface file "PosSelectViewController", listing the pins.
    static std::shared_ptr<PosSelectViewController> initWithArray(std::vector<std::shared_ptr<MapPointAnnotion>> pins);

    std::weak_ptr<PosSelectViewControllerDelegate> delegate;
    std::shared_ptr<UITableView> _table;  // outlet of the interface file
    std::vector<std::shared_ptr<MapPointAnnotion>> _tableData;

    void viewDidLoad() override;
    void goBack();

    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
};
