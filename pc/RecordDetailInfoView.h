#pragma once
// One web or software record of the supervised PC: its picture, type, name,
// time and count, and a button that puts the site or program on the PC's
// black list.

#include "platform/uikit/UINavigationController.h"
#include "protocol/Property.h"
#include "ui/PixImageView.h"

// The record the list hands to the detail; logo_or is "url" for a web
// record, "game" for a software record.
class RecordDetailInfoStruct : public NSObject {
    NX_PROPERTY(NSString, imageUrl, setImageUrl);
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, name, setName);
    NX_PROPERTY(NSString, ename, setEname);
    NX_PROPERTY(NSString, requestTime, setRequestTime);
    NX_PROPERTY(NSString, requestNumTimes, setRequestNumTimes);
    NX_PROPERTY(NSString, softType, setSoftType);
    NX_PROPERTY(NSString, logo_or, setLogo_or);
    NX_PROPERTY(NSString, procName, setProcName);
    NX_PROPERTY(NSString, author, setAuthor);
    NX_PROPERTY(NSString, updateTime, setUpdateTime);
    NX_PROPERTY(NSString, path, setPath);
    NX_PROPERTY(NSString, SHA1, setSHA1);
};

class RecordDetailInfoView : public UIViewController {
public:
    static constexpr NSInteger kPictureTag = 280000, kTypeTag = 280001, kNameTag = 280002, kTimeTag = 280003,
                               kCountTag = 280004;

    static std::shared_ptr<RecordDetailInfoView> init() { return UIViewController::init<RecordDetailInfoView>(); }

    const std::shared_ptr<RecordDetailInfoStruct>& dataStruct() const { return mDataStruct; }
    void setDataStruct(std::shared_ptr<RecordDetailInfoStruct> record) { mDataStruct = std::move(record); }
    // Shows the record: title, picture, type, name, time and count.
    void resetUIData();
    void submissionBtnCallBack();
    void backBtnCallBack(const id& sender);
    PixImageView* picture() const { return picture_.get(); }
    UIButton* addButton() const { return addButton_.get(); }

    void loadView() override;

private:
    std::shared_ptr<RecordDetailInfoStruct> mDataStruct;
    std::shared_ptr<PixImageView> picture_;
    std::shared_ptr<UIButton> addButton_;
};
