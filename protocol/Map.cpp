#include "protocol/Map.h"

#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

std::shared_ptr<MessageInfo> Map::AdCmd(const NSString& type) const
{
    return MessageExchange::request(
        Constant::userID(), "ADCmd",
        MessageExchange::body("<BODY><BID>%@</BID><STTM>%@</STTM><Type>%@</Type></BODY></MSG>",
                              MessageExchange::deviceId(), Constant::currentTime(), type),
        &ParseXML::parsecutQuick);
}

std::shared_ptr<MapReturnMessage> Map::RQLocation(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "RQLocation", body, &ParseXML::parseMapLocation);
}

std::shared_ptr<MessageInfo> Map::ADLocation(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "ADLocation", body, &ParseXML::parsecutQuick);
}

std::shared_ptr<MapCmdMessage> Map::RQCmdLocation(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "RQCmdLocation", body, &ParseXML::parseMapCmdType);
}
