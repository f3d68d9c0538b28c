#include "protocol/Invite.h"

#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

std::shared_ptr<MessageInfo> Invite::ADShareFriend(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "ADSHF", body, &ParseXML::parsecutQuick);
}

std::shared_ptr<InviteReturnMessage> Invite::RQShareFriend(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "RQSHF", body, &ParseXML::parseInviteFriend);
}
