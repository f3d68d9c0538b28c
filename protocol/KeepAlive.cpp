#include "protocol/KeepAlive.h"

#include "platform/foundation/NSLog.h"
#include "protocol/Constant.h"
#include "protocol/Head.h"
#include "protocol/MsgService.h"
#include "protocol/ParseXML.h"
#include "protocol/XMLEscape.h"

NSString KeepAlive::keepAlive()
{
    NSString userName = Constant::userName();
    auto head = Head::initWithSndr(userName, "SYS", "1", Constant::currentTime(), "keepAlive");
    NSString reply = MsgService::sendRequestOnMainThread(
        head->toString().stringByAppendingString(XMLFormat("<BODY><UserID>%@</UserID></BODY></MSG>", userName)));
    NX_LOG("%@", reply);
    NSString desc = ParseXML::init()->parseKeepAlive(reply);
    NX_LOG("%@", desc);
    return desc;
}
