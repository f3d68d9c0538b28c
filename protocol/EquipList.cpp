#include "protocol/EquipList.h"

#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

std::shared_ptr<EquipVO> EquipList::RQEquipList() const
{
    NSString userName = Constant::userName();
    return MessageExchange::request(userName, "RQManageUser",
                                    MessageExchange::body("<BODY><UserID>%@</UserID></BODY></MSG>", userName),
                                    &ParseXML::parseEquipList);
}

std::shared_ptr<MessageInfo> EquipList::RQBindEquip(const NSString& bid) const
{
    return MessageExchange::request(
        Constant::userName(), "ADCmd",
        MessageExchange::body("<BODY><BID>%@</BID><STTM>%@</STTM><Type>6</Type></BODY></MSG>", bid,
                              Constant::currentTime()),
        &ParseXML::parseBindEquip);
}

std::shared_ptr<MessageInfo> EquipList::RQAddEquip(const NSString& body) const
{
    return MessageExchange::parsed(MessageExchange::sendEnciphered(Constant::userName(), "ADManageUser", body),
                                   &ParseXML::parseAddEquip);
}

NSString EquipList::sender() const { return signingUserID().isNil() ? Constant::userID() : signingUserID(); }

std::shared_ptr<MessageInfo> EquipList::RQDELdevice(const NSString& bid) const
{
    return MessageExchange::request(sender(), "DLManageUser",
                                    MessageExchange::body("<BODY><BID>%@</BID></BODY></MSG>", bid),
                                    &ParseXML::parseAddEquip);
}

std::shared_ptr<MessageInfo> EquipList::RQEditEquipNick(const NSString& body) const
{
    return MessageExchange::request(sender(), "UDManageUser", body, &ParseXML::parseAddEquip);
}

std::shared_ptr<MessageInfo> EquipList::UDEquip(const NSString& body) const
{
    return MessageExchange::request(sender(), "UDEquip", body, &ParseXML::parseAddEquip);
}
