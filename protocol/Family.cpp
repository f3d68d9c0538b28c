#include "protocol/Family.h"

#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

std::shared_ptr<MessageInfo> Family::ADFamilyPhone(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "ADFamilyPhone", body, &ParseXML::parsecutQuick);
}

std::shared_ptr<MessageInfo> Family::DLFamilyPhone(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "DLFamilyPhone", body, &ParseXML::parsecutQuick);
}

std::shared_ptr<FamilyReturnMessage> Family::RQFamilyPhone(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "RQFamilyPhone", body, &ParseXML::parseFamilyPhone);
}
