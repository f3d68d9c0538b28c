#include "protocol/ValidateCode.h"

#include "protocol/Constant.h"
#include "protocol/Head.h"
#include "protocol/MsgService.h"
#include "protocol/ParseXML.h"

std::shared_ptr<MessageInfo> ValidateCode::RQValidateCode(const NSString& body, const NSString& sndr) const
{
    auto head = Head::initWithSndr(sndr, "SYS", "1", Constant::currentTime(), "RQValidateCode");
    NSString reply = MsgService::sendRequestOnMainThread(head->toString().stringByAppendingString(body));
    if (reply.isNil()) return nullptr;
    return ParseXML::init()->parsecutQuick(reply);
}
