// Every reply parser of the service protocol, and the SOAP result extraction
// the replies pass through first, on one reply text.
#include "fuzz/support/FuzzInput.h"
#include "protocol/ParseXML.h"
#include "protocol/ServiceSOAP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NSString reply(fuzz::Text(data, size));
    (void)ServiceSOAP::resultElement(reply, "LoginResult");
    (void)ServiceSOAP::resultElement(reply, "SendMsgResult");
    (void)ServiceSOAP::redactedForLog(reply);

    const ParseXML p;
    (void)p.parsecutQuick(reply);
    (void)p.parseKeepAlive(reply);
    (void)p.parseRQUrlAccess(reply);
    (void)p.parseRQUrlBrowse(reply);
    (void)p.parseRQUrlAllow(reply);
    (void)p.parseRQUrlByType(reply);
    (void)p.parseRQGameAccess(reply);
    (void)p.parseRQGameBrowse(reply);
    (void)p.parseRQGameAllow(reply);
    (void)p.parseRQGameByType(reply);
    (void)p.parseRQUrlType(reply);
    (void)p.parseRQGameType(reply);
    (void)p.parseRQGameRuleSelf(reply);
    (void)p.parseADGameRuleSelf(reply);
    (void)p.parseDLGameRuleSelf(reply);
    (void)p.parseRQUrlRuleSelf(reply);
    (void)p.parseADUrlRuleSelf(reply);
    (void)p.parseDLUrlRuleSelf(reply);
    (void)p.parseDLUrlSelf(reply);
    (void)p.parseADUrlLimit(reply);
    (void)p.parseRQUrlTypeBrowse(reply);
    (void)p.parseRQGameTypeBrowse(reply);
    (void)p.parseRQOpRecord(reply);
    (void)p.parseRQCapturePic(reply);
    (void)p.parseRQCapPicTime(reply);
    (void)p.parseHomeInfo(reply);
    (void)p.parseRQRQCurLimit(reply);
    (void)p.parseTimePeriodList(reply);
    (void)p.parseRQUrlPeriod(reply);
    (void)p.parseRQGamePeriod(reply);
    (void)p.parseUDUrlPeriod(reply);
    (void)p.parseUDGamePeriod(reply);
    (void)p.parseProtectSetting(reply);
    (void)p.parseRQServiceSwitch(reply);
    (void)p.parseUDServiceSwitch(reply);
    (void)p.parseEquipList(reply);
    (void)p.parseBindEquip(reply);
    (void)p.parseAddEquip(reply);
    (void)p.parseRQUserInfo(reply);
    (void)p.parseUDUserInfo(reply);
    (void)p.parseADUserInfo(reply);
    (void)p.parseRQByService(reply);
    (void)p.parseRQCanBuyService(reply);
    (void)p.parseRQHaveBuyService(reply);
    (void)p.parseADByService(reply);
    (void)p.parseInviteFriend(reply);
    (void)p.parseFamilyPhone(reply);
    (void)p.parseMapLocation(reply);
    (void)p.parseMapCmdType(reply);
    (void)p.parseRQUserSettingPhone(reply);
    return 0;
}
