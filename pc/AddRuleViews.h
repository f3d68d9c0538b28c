#pragma once
// Two small forms that put one rule on the supervised PC's own black lists,
// shown by adding their view over a host screen and closed by removing it:
// a web address (AddUrlViewController) and a program by its name, process
// file and publisher (AddSoftViewController). SoftWareCell is a table cell
// for a program.

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"

// The host of the address form: told of each address added and of the
// form's closing.
class AddUrlViewControllerDelegate {
public:
    virtual ~AddUrlViewControllerDelegate() = default;
    virtual void insertCell(const NSString& address) = 0;
    virtual void reload(const id& nothing) = 0;
};

class AddUrlViewController : public UIViewController, public UIAlertViewDelegate {
public:
    std::shared_ptr<UITextField> newURL;
    std::shared_ptr<UILabel> lblTitle;
    std::shared_ptr<UIButton> btnBack, btnAdd;
    std::weak_ptr<AddUrlViewControllerDelegate> delegate;

    void viewDidLoad() override;
    void viewDidUnload() override { newURL = nullptr; }
    void addUrl(const id& sender);
    void goBack(const id& sender);
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
};

class AddSoftViewController : public UIViewController, public UIAlertViewDelegate {
public:
    std::shared_ptr<UITextField> gameName, procName, author;
    std::shared_ptr<UILabel> lblName, lblProcess, lblCompany;
    std::shared_ptr<UIButton> btnAdd, btnBack;

    void viewDidLoad() override;
    void viewDidUnload() override { gameName = procName = author = nullptr; }
    void addSoft(const id& sender);
    void goBack(const id& sender);
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
};

class SoftWareCell : public UITableViewCell {
public:
    std::shared_ptr<UILabel> gameNameLabel, procNameLabel;
};
