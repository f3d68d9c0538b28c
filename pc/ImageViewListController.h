#pragma once
// The screen captures of one day: a strip of thumbnails loaded from their
// addresses, page after page, and the photo viewer over the screen showing
// the capture chosen with its capture time. ImageTimeSelectView is the day
// picker that opens it.

#include <vector>

#include "platform/uikit/UINavigationController.h"
#include "protocol/GetCapture.h"
#include "protocol/Property.h"
#include "ui/PixPhotoViewController.h"

class ImageViewListController : public UIViewController {
public:
    static constexpr NSInteger kFirstThumbTag = 32100, kLoadMoreTag = 2008, kLoadMoreSpinnerTag = 2007;

    static std::shared_ptr<ImageViewListController> init() { return UIViewController::init<ImageViewListController>(); }

    // Outlets of the interface file.
    std::shared_ptr<UIScrollView> scrollview;
    std::shared_ptr<UIImageView> mImageView;
    std::shared_ptr<UILabel> mTimeLabel;

    NX_PROPERTY(NSString, selectDate, setSelectDate);
    NX_PROPERTY(NSString, moreString, setMoreString);
    NX_PROPERTY(int, currentPage, setCurrentPage);
    NX_PROPERTY(int, pageNum, setPageNum);

public:
    const std::vector<std::shared_ptr<CaptureMessage>>& picUrlArray() const { return picUrlArray_; }
    // The viewer on screen; one at a time.
    PixPhotoViewController* viewer() const { return viewer_.get(); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void refresh();
    void loadMore();
    void showPhotos(const id& sender);
    void goBack();
    // A page of captures, on the main thread; nil or empty ends the strip.
    void didFinishRequest(const std::shared_ptr<CaptureReturnMessage>& result);

private:
    // The viewer shown here is a part of this screen, not the full-screen
    // viewer: the bars keep this screen's look while it shows.
    void keepOwnBarLook();
    std::shared_ptr<ImageViewListController> strong()
    {
        return std::static_pointer_cast<ImageViewListController>(shared_from_this());
    }
    void downList();
    void showViewerAt(size_t index);
    void setStripWidth(bool withLoadMore);

    std::vector<std::shared_ptr<CaptureMessage>> picUrlArray_;
    std::shared_ptr<PixPhotoViewController> viewer_;
    bool fetching_ = false;
    unsigned generation_ = 0;  // a refresh makes the fetch under way stale
};

class ImageTimeSelectView : public UIViewController {
public:
    static constexpr NSInteger kCalendarTag = 810001;

    static std::shared_ptr<ImageTimeSelectView> init() { return UIViewController::init<ImageTimeSelectView>(); }

    void loadView() override;
    void sureBtnCallBack(const id& sender);
    void backBtnCallBack(const id& sender);
};
