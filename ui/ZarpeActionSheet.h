#pragma once
// An action sheet turned into a container: a toolbar with a title and a
// cancel button, and a blank content view under it for a picker. Blank
// buttons make the sheet about the height asked for.

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"

class ZarpeActionSheet : public UIActionSheet {
public:
    static std::shared_ptr<ZarpeActionSheet> initWithHeight(float height, const NSString& sheetTitle);

    std::shared_ptr<UIToolbar> toolBar() const { return toolBar_; }
    void setToolBar(std::shared_ptr<UIToolbar> t) { toolBar_ = std::move(t); }
    // Where callers put their picker or controls.
    std::shared_ptr<UIView> view() const { return view_; }
    void setView(std::shared_ptr<UIView> v) { view_ = std::move(v); }

    // Both dismiss the sheet with button index 0.
    void done();
    void docancel();

private:
    std::shared_ptr<UIToolbar> toolBar_;
    std::shared_ptr<UIView> view_;
};
