// The reply parses of the devices, the account, the service packages,
// invitations, family numbers, locations and device parameters.

#include "protocol/BuyService.h"
#include "protocol/EquipList.h"
#include "protocol/Family.h"
#include "protocol/Invite.h"
#include "protocol/Map.h"
#include "protocol/ParseXML.h"
#include "protocol/UserInfo.h"
#include "protocol/UserSetting.h"

std::shared_ptr<EquipVO> ParseXML::parseEquipList(const NSString& reply) const
{
    using E = EquipTempVO;
    auto record = std::make_shared<EquipVO>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        record->setList(readList<E>(body, {{"UserID", &E::setUserID},
                                           {"BID", &E::setTypeName},
                                           {"Nick", &E::setTypeNick},
                                           {"IsOnline", &E::setIsOnline},
                                           {"TaoCan", &E::setTaoCan},
                                           {"EquipType", &E::setEquipType},
                                           {"ManageType", &E::setManagerType}}));
    });
    return record;
}

std::shared_ptr<MessageInfo> ParseXML::parseBindEquip(const NSString& reply) const { return parsecutQuick(reply); }

std::shared_ptr<MessageInfo> ParseXML::parseAddEquip(const NSString& reply) const { return parsecutQuick(reply); }

std::shared_ptr<UserInfoReturnMessage> ParseXML::parseRQUserInfo(const NSString& reply) const
{
    using U = UserInfoReturnMessage;
    auto record = std::make_shared<U>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record,
                   {{"UserID", &U::setUserId},
                    {"UserName", &U::setUserName},
                    {"Email", &U::setEmail},
                    {"QQ", &U::setQq},
                    {"Taocan", &U::setTaocan},
                    {"Days", &U::setTaocanleft},
                    {"RecordTime", &U::setRecordTime},
                    {"SpaceTotal", &U::setSpaceTotal},
                    {"SpaceUsed", &U::setSpaceUsed},
                    {"AccountBalance", &U::setAccountBalance},
                    {"RegTime", &U::setRegTime},
                    {"LoginTime", &U::setLoginTime},
                    {"CaptureInterval", &U::setCaptureInterval},
                    {"Phone", &U::setPhone},
                    {"Verified", &U::setVerified},
                    {"HeartTime", &U::setHeartTime},
                    {"RemoteIP", &U::setRemoteIp},
                    {"Ver", &U::setVer}});
    });
    return record;
}

std::shared_ptr<UserInfoReturnMessage> ParseXML::parseUDUserInfo(const NSString& reply) const
{
    using U = UserInfoReturnMessage;
    auto record = std::make_shared<U>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record, {{"Code", &U::setCode}, {"Desc", &U::setDesc}});
    });
    return record;
}

std::shared_ptr<UserInfoReturnMessage> ParseXML::parseADUserInfo(const NSString& reply) const
{
    return parseUDUserInfo(reply);
}

std::shared_ptr<BuyServiceReturnMessage> ParseXML::parseRQByService(const NSString& reply) const
{
    using B = BuyServiceMessage;
    auto record = std::make_shared<BuyServiceReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record, {{"TotalRecord", &BuyServiceReturnMessage::setTotalRecord}});
        record->setList(readList<B>(body, {{"SrvItem", &B::setSrvItem},
                                           {"Months", &B::setMonths},
                                           {"Money", &B::setMoney},
                                           {"DataTime", &B::setDataTime},
                                           {"IP", &B::setIp}}));
    });
    return record;
}

std::shared_ptr<BuyServiceReturnMessage> ParseXML::parseRQCanBuyService(const NSString& reply) const
{
    using B = BuyServiceMessage;
    auto record = std::make_shared<BuyServiceReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        record->setList(readList<B>(body, {{"SrvItem", &B::setSrvItem},
                                           {"SrvDesc", &B::setSrvDesc},
                                           {"Price", &B::setPrice},
                                           {"Price1", &B::setPrice1}}));
    });
    return record;
}

std::shared_ptr<BuyServiceReturnMessage> ParseXML::parseRQHaveBuyService(const NSString& reply) const
{
    using B = BuyServiceMessage;
    auto record = std::make_shared<BuyServiceReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        record->setList(readList<B>(body, {{"SrvItem", &B::setSrvItem},
                                           {"SrvDesc", &B::setSrvDesc},
                                           {"Months", &B::setMonths},
                                           {"SinceTime", &B::setDataTime}}));
    });
    return record;
}

std::shared_ptr<BuyServiceReturnMessage> ParseXML::parseADByService(const NSString& reply) const
{
    using R = BuyServiceReturnMessage;
    auto record = std::make_shared<R>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record, {{"Code", &R::setCode}, {"Desc", &R::setDesc}});
    });
    return record;
}

std::shared_ptr<InviteReturnMessage> ParseXML::parseInviteFriend(const NSString& reply) const
{
    using I = InviteMessage;
    auto record = std::make_shared<InviteReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record, {{"TotalRecord", &InviteReturnMessage::setTotalRecord}});
        record->setList(readList<I>(body, {{"FID", &I::setFID}, {"FNAME", &I::setFName}, {"AddTime", &I::setAddTime}}));
    });
    return record;
}

std::shared_ptr<FamilyReturnMessage> ParseXML::parseFamilyPhone(const NSString& reply) const
{
    using F = FamilyMessage;
    auto record = std::make_shared<FamilyReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record, {{"TotalRecord", &FamilyReturnMessage::setTotalRecord}});
        record->setList(readList<F>(body, {{"PhoneNo", &F::setPhoneNo},
                                           {"PhoneName", &F::setPhoneName},
                                           {"PhoneType", &F::setPhoneType},
                                           {"IsDel", &F::setIsDel},
                                           {"UpdateTime", &F::setUpdateTime},
                                           {"Type", &F::setType}}));
    });
    return record;
}

std::shared_ptr<MapReturnMessage> ParseXML::parseMapLocation(const NSString& reply) const
{
    using M = MapMessage;
    auto record = std::make_shared<MapReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        record->setList(readList<M>(body, {{"Longitude", &M::setLongitude},
                                           {"Latitude", &M::setLatitude},
                                           {"Address", &M::setAddress},
                                           {"UpdateTime", &M::setUpdateTime}}));
    });
    return record;
}

std::shared_ptr<MapCmdMessage> ParseXML::parseMapCmdType(const NSString& reply) const
{
    using C = MapCmdMessage;
    auto record = std::make_shared<C>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *record, {{"STTM", &C::setSttm}, {"Type", &C::setType}});
    });
    return record;
}

std::shared_ptr<UserSettingReturnMessage> ParseXML::parseRQUserSettingPhone(const NSString& reply) const
{
    using S = UserSettingReturnMessage;
    auto record = std::make_shared<S>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        if (const _XMLTreeElement* first = XMLTree::childElementNamed("List", body))
            readFields(first, *record, {{"ParaValue", &S::setMinutes}});
    });
    return record;
}
