#include "pc/RecordDetailInfoView.h"

#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/PCRecordCommon.h"
#include "platform/cfnetwork/NSURL.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Category.h"

void RecordDetailInfoView::loadView()
{
    auto v = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    if (auto tile = UIImage::imageNamed("shouye_vesk.png")) v->setBackgroundColor(UIColor::colorWithPatternImage(tile));
    v->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    setView(v);

    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    auto back = Ulvo::customBackButton(L("recdetailinfoview_back"), "button_vesk", NSString(), NSString());
    back->addTarget(self, NX_SEL(RecordDetailInfoView, backBtnCallBack), UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithCustomView(back));

    picture_ = PixImageView::initWithPlaceholderImage(UIImage::imageNamed("noimg_vesk.png"));
    picture_->setFrame(CGRectMake(20, 10, 280, 216));
    picture_->setTag(kPictureTag);
    picture_->setImage(UIImage::imageNamed("noimg_vesk.png"));
    v->addSubview(picture_);

    auto label = [&](CGRect frame, const NSString& text, NSInteger tag) {
        auto l = UILabel::initWithFrame(frame);
        l->font = UIFont::systemFontOfSize(16);
        l->textColor = UIColor::lightGrayColor();
        l->setBackgroundColor(UIColor::clearColor());
        l->setText(text);
        if (tag) l->setTag(tag);
        v->addSubview(l);
    };
    label(CGRectMake(20, 225, 50, 30), L("recdetailinfoview_type"), 0);
    label(CGRectMake(70, 225, 60, 30), NSString(), kTypeTag);
    label(CGRectMake(135, 225, 50, 30), L("recdetailinfoview_name"), 0);
    label(CGRectMake(185, 225, 115, 30), NSString(), kNameTag);
    label(CGRectMake(20, 255, 80, 30), L("recdetailinfoview_time"), 0);
    label(CGRectMake(102, 255, 198, 30), "", kTimeTag);
    label(CGRectMake(20, 285, 80, 30), L("recdetailinfoview_times"), 0);
    label(CGRectMake(102, 285, 198, 30), "", kCountTag);

    auto red = UIImage::imageNamed("red_button.png");
    addButton_ = UIButton::buttonWithType(UIButtonTypeCustom);
    addButton_->setFrame(CGRectMake(25, 325, red ? red->size().width : 270, 40));
    addButton_->setBackgroundImage(red, UIControlStateNormal);
    addButton_->setTitle(L("recdetailinfoview_addtoblacklist"), UIControlStateNormal);
    addButton_->titleLabel()->font = UIFont::boldSystemFontOfSize(14);
    addButton_->addTarget(self, NX_SEL0(RecordDetailInfoView, submissionBtnCallBack), UIControlEventTouchUpInside);
    v->addSubview(addButton_);
}

void RecordDetailInfoView::resetUIData()
{
    if (!mDataStruct) {
        NX_LOG("======  没有数据 ====");
        return;
    }
    view();
    setTitle(L(mDataStruct->logo_or() == "url" ? "recdetailinfoview_webscreenshot" : "recdetailinfoview_softscreenshot"));
    NX_LOG("===%@", mDataStruct->imageUrl());
    // The address comes from the service: only a web address is fetched, by
    // the shared loader with its time-out, off the main thread; the
    // placeholder stays until the picture has come.
    auto url = mDataStruct->imageUrl().isNil() || mDataStruct->imageUrl() == "" ? nullptr
                                                                               : NSURL::URLWithString(mDataStruct->imageUrl());
    const NSString scheme = url ? url->scheme().lowercaseString() : NSString();
    if (url && (scheme == "http" || scheme == "https")) picture_->setImageURL(url);
    auto set = [&](NSInteger tag, const NSString& text) {
        if (auto* l = dynamic_cast<UILabel*>(view()->viewWithTag(tag))) l->setText(text);
    };
    set(kTypeTag, mDataStruct->type());
    set(kNameTag, mDataStruct->name());
    set(kTimeTag, mDataStruct->requestTime());
    set(kCountTag, mDataStruct->requestNumTimes());
}

void RecordDetailInfoView::submissionBtnCallBack()
{
    NX_LOG("＝＝＝＝ 提交黑名单 ＝＝＝＝＝＝");
    if (!mDataStruct) return;
    std::shared_ptr<MessageInfo> reply;
    if (mDataStruct->logo_or() == "url") {
        if (namesOwnDomain(mDataStruct->ename())) {
            showMessageForTwoSeconds(view(), L("LimitViewctrl_notsetblackname"));
            return;
        }
        reply = Category::init()->ADUrlType(
            deviceBody("<BODY><BID>%@</BID><List><UrlBlack>%@</UrlBlack></List></BODY></MSG>", mDataStruct->ename()));
    } else {
        // A field the record lacks goes out empty.
        auto f = [](const NSString& s) { return s.isNil() ? NSString("") : s; };
        const auto& r = *mDataStruct;
        reply = Category::init()->ADGameType(deviceBody(
            "<BODY><BID>%@</BID><List><GameName>%@</GameName><ProcName>%@</ProcName><Author>%@</Author>"
            "<UpdateTime>%@</UpdateTime><Type>%@</Type><Path>%@</Path><SHA1>%@</SHA1></List></BODY></MSG>",
            f(r.name()), f(r.procName()), f(r.author()), f(r.requestTime()), f(r.type()), f(r.path()), f(r.SHA1())));
    }
    showMessageForTwoSeconds(view(), L(commandSucceeded(reply) ? "recdetailinfoview_setsuccess" : "serviceBackMessage_failed"));
}

void RecordDetailInfoView::backBtnCallBack(const id&)
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
