// Dates as they arrive: HTTP dates (Expires, Last-Modified), the service's
// "yyyy-MM-dd HH:mm:ss" times and the stored "yyyy-MM-dd" days.
#include "fuzz/support/FuzzInput.h"
#include "http/NXHTTPUtilities.h"
#include "platform/foundation/NSDateFormatter.h"
#include "protocol/Constant.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const auto formatter = [] {
        auto f = NSDateFormatter::init();
        f->setDateFormat("yyyy-MM-dd HH:mm:ss");
        f->setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(8 * 3600));
        return f;
    }();
    NSString text(fuzz::Text(data, size));
    (void)nxhttp::dateFromRFC1123String(text);
    (void)Constant::stringToDate(text);
    if (auto date = formatter->dateFromString(text)) (void)formatter->stringFromDate(*date);
    return 0;
}
