#pragma once
// The reply parser. Every parse method follows one frame: it makes its empty
// record, reads the reply text into an XMLTree, finds BODY under the root and
// copies the texts it knows into the record. A nil or unreadable reply, or one
// without BODY, leaves the record empty; the record itself is always returned.
//
// A parse method is written with the frame below:
//
//     auto record = std::make_shared<R>();
//     withBody(reply, [&](const _XMLTreeElement* body) {
//         readFields(body, *record, {{"TotalRecord", &R::setTotalRecord}});
//         record->setList(readList<Row>(body, {{"Url", &Row::setUrl}, {"Num", &Row::setCount}}));
//     });
//     return record;

#include <functional>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/XMLTree.h"

// One field of a record and the element it is read from.
template <class Record>
struct ReplyField {
    std::string_view element;
    void (Record::*set)(NSString);
};

class ParseXML : public NSObject {
public:
    static std::shared_ptr<ParseXML> init() { return std::make_shared<ParseXML>(); }

    // The generic command reply: Code and Desc under BODY.
    std::shared_ptr<MessageInfo> parsecutQuick(const NSString& reply) const;
    // The text of Desc under BODY; "null" when the reply, BODY or Desc is missing.
    NSString parseKeepAlive(const NSString& reply) const;

    // PC records, rules, statistics, captures, home page, time and protect settings.

    // Devices, account, invitations, family numbers, location and device parameters.
    // (The record classes are named with "class" here, which declares them at
    // namespace scope; their headers are EquipList.h, UserInfo.h,
    // BuyService.h, Invite.h, Family.h, Map.h and UserSetting.h.)
    std::shared_ptr<class EquipVO> parseEquipList(const NSString& reply) const;
    std::shared_ptr<MessageInfo> parseBindEquip(const NSString& reply) const;  // as parsecutQuick
    std::shared_ptr<MessageInfo> parseAddEquip(const NSString& reply) const;   // as parsecutQuick
    std::shared_ptr<class UserInfoReturnMessage> parseRQUserInfo(const NSString& reply) const;
    std::shared_ptr<class UserInfoReturnMessage> parseUDUserInfo(const NSString& reply) const;  // code, desc
    std::shared_ptr<class UserInfoReturnMessage> parseADUserInfo(const NSString& reply) const;  // as parseUDUserInfo
    std::shared_ptr<class BuyServiceReturnMessage> parseRQByService(const NSString& reply) const;
    std::shared_ptr<class BuyServiceReturnMessage> parseRQCanBuyService(const NSString& reply) const;
    std::shared_ptr<class BuyServiceReturnMessage> parseRQHaveBuyService(const NSString& reply) const;
    std::shared_ptr<class BuyServiceReturnMessage> parseADByService(const NSString& reply) const;  // code, desc
    std::shared_ptr<class InviteReturnMessage> parseInviteFriend(const NSString& reply) const;
    std::shared_ptr<class FamilyReturnMessage> parseFamilyPhone(const NSString& reply) const;
    std::shared_ptr<class MapReturnMessage> parseMapLocation(const NSString& reply) const;
    std::shared_ptr<class MapCmdMessage> parseMapCmdType(const NSString& reply) const;
    // minutes: ParaValue of the first List only.
    std::shared_ptr<class UserSettingReturnMessage> parseRQUserSettingPhone(const NSString& reply) const;

protected:
    // Reads the reply and calls `read` with its BODY while the tree is alive.
    // False (and no call) when the reply is nil or has no root or BODY.
    static bool withBody(const NSString& reply, const std::function<void(const _XMLTreeElement* body)>& read);

    // Sets each field whose element is a child of `parent` to that element's text;
    // fields whose element is absent are left as they are.
    template <class Record>
    static void readFields(const _XMLTreeElement* parent, Record& record,
                           std::initializer_list<ReplyField<Record>> fields)
    {
        for (const auto& f : fields) {
            if (const _XMLTreeElement* e = XMLTree::childElementNamed(f.element, parent)) {
                (record.*f.set)(XMLTree::textForElement(e));
            }
        }
    }

    // One new row per "List" child of `body`, in document order, filled from
    // that List's children.
    template <class Row>
    static std::vector<std::shared_ptr<Row>> readList(const _XMLTreeElement* body,
                                                      std::initializer_list<ReplyField<Row>> fields)
    {
        std::vector<std::shared_ptr<Row>> rows;
        for (const _XMLTreeElement* item = XMLTree::childElementNamed("List", body); item;
             item = XMLTree::nextSiblingNamed("List", item)) {
            auto row = std::make_shared<Row>();
            readFields(item, *row, fields);
            rows.push_back(std::move(row));
        }
        return rows;
    }
};
