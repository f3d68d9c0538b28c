#pragma once
// The screen captures the supervised PC took on one day, each named in three
// sizes, delivered to the capture list on the main thread.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"
#include "protocol/WeakDelegateHolder.h"

class CaptureMessage : public NSObject {
    NX_PROPERTY(NSString, picName, setPicName);
    NX_PROPERTY(NSString, picPath, setPicPath);
    NX_PROPERTY(NSString, picMiddle, setPicMiddle);
    NX_PROPERTY(NSString, picThumb, setPicThumb);
    NX_PROPERTY(NSString, captureTime, setCaptureTime);
};

class CaptureReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<CaptureMessage>>, list, setList);
};

class GetCaptureDelegate {
public:
    virtual ~GetCaptureDelegate() = default;
    // The captures of one RQCapturePic call, on the main thread; an empty record
    // (totalRecord nil, no rows) when the service could not be reached.
    virtual void didFinishRequest(std::shared_ptr<CaptureReturnMessage> result) = 0;
};

class GetCapture : public NSObject, public WeakDelegateHolder<GetCaptureDelegate> {
public:
    static std::shared_ptr<GetCapture> init() { return std::make_shared<GetCapture>(); }

    // Asks for page `page` (20 captures a page) of the day's captures
    // ("yyyy-MM-dd") and hands the record to the delegate on the main thread
    // without waiting; the list's load-more asks for the following pages.
    void RQCapturePic(const NSString& day, long page = 1) const;
    // The capture times of the account; nil when the exchange failed.
    std::shared_ptr<CaptureReturnMessage> RQCapPicTime() const;
};
