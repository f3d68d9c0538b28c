// Parse methods of the PC catalogue: records, rules, statistics, captures, the
// home page, time and protect settings.

#include <initializer_list>

#include "protocol/Analysis.h"
#include "protocol/Category.h"
#include "protocol/GetCapture.h"
#include "protocol/HomeInfo.h"
#include "protocol/Internet.h"
#include "protocol/ParseXML.h"
#include "protocol/ProtectSetting.h"
#include "protocol/TimeInfo.h"
#include "protocol/TimeSetting.h"
#include "protocol/UserRule.h"

namespace {

// The frame of ParseXML for the helpers below.
struct Frame : ParseXML {
    using ParseXML::readFields;
    using ParseXML::readList;
    using ParseXML::withBody;
};

// A record of single fields under BODY.
template <class Record>
std::shared_ptr<Record> fields(const NSString& reply, std::initializer_list<ReplyField<Record>> table)
{
    auto record = std::make_shared<Record>();
    Frame::withBody(reply, [&](const _XMLTreeElement* body) { Frame::readFields(body, *record, table); });
    return record;
}

// A list record: TotalRecord when `total`, and one Row per List.
template <class Record, class Row>
std::shared_ptr<Record> list(const NSString& reply, bool total, std::initializer_list<ReplyField<Row>> table)
{
    auto record = std::make_shared<Record>();
    Frame::withBody(reply, [&](const _XMLTreeElement* body) {
        if (total) Frame::readFields(body, *record, {{"TotalRecord", &Record::setTotalRecord}});
        record->setList(Frame::readList<Row>(body, table));
    });
    return record;
}

// The statistics list holds objects, since the current limits share it.
template <class Row>
std::shared_ptr<AnalysisReturnMessage> analysis(const NSString& reply, bool total,
                                                std::initializer_list<ReplyField<Row>> table)
{
    auto record = std::make_shared<AnalysisReturnMessage>();
    Frame::withBody(reply, [&](const _XMLTreeElement* body) {
        if (total) Frame::readFields(body, *record, {{"TotalRecord", &AnalysisReturnMessage::setTotalRecord}});
        auto rows = Frame::readList<Row>(body, table);
        record->setList(std::vector<id>(rows.begin(), rows.end()));
    });
    return record;
}

using IM = InternetMessage;
using GM = GameMessage;

}  // namespace

// Web and program records.

std::shared_ptr<InternetReturnMessage> ParseXML::parseRQUrlAccess(const NSString& reply) const
{
    return list<InternetReturnMessage, IM>(reply, true,
                                           {{"Url", &IM::setUrl},
                                            {"Num", &IM::setCount},
                                            {"Allowed", &IM::setAllowed},
                                            {"VisitedTime", &IM::setVisitedTime},
                                            {"Type", &IM::setType},
                                            {"Name", &IM::setName},
                                            {"Path", &IM::setPath}});
}

std::shared_ptr<InternetReturnMessage> ParseXML::parseRQUrlBrowse(const NSString& reply) const
{
    return list<InternetReturnMessage, IM>(reply, true, {{"Url", &IM::setUrl}, {"Num", &IM::setCount}});
}

std::shared_ptr<InternetReturnMessage> ParseXML::parseRQUrlAllow(const NSString& reply) const
{
    return list<InternetReturnMessage, IM>(
        reply, false, {{"DataDate", &IM::setDataDate}, {"Allow", &IM::setAllowed}, {"Limit", &IM::setLimit}});
}

std::shared_ptr<InternetReturnMessage> ParseXML::parseRQUrlByType(const NSString& reply) const
{
    auto record = parseRQUrlAccess(reply);
    record->setTotalRecord(NSString());
    return record;
}

std::shared_ptr<GameReturnMessage> ParseXML::parseRQGameAccess(const NSString& reply) const
{
    return list<GameReturnMessage, GM>(reply, true,
                                       {{"GameName", &GM::setGameName},
                                        {"Allowed", &GM::setAllowed},
                                        {"Num", &GM::setNumber},
                                        {"VisitedTime", &GM::setVisitedTime},
                                        {"ProcName", &GM::setProcName},
                                        {"Author", &GM::setAuthor},
                                        {"Type", &GM::setType},
                                        {"Path", &GM::setPath},
                                        {"Path1", &GM::setSoftPath},
                                        {"SHA1", &GM::setSHA1}});
}

std::shared_ptr<GameReturnMessage> ParseXML::parseRQGameBrowse(const NSString& reply) const
{
    return list<GameReturnMessage, GM>(reply, true,
                                       {{"GameName", &GM::setGameName},
                                        {"Num", &GM::setNumber},
                                        {"ProcName", &GM::setProcName},
                                        {"Author", &GM::setAuthor}});
}

std::shared_ptr<GameReturnMessage> ParseXML::parseRQGameAllow(const NSString& reply) const
{
    return list<GameReturnMessage, GM>(
        reply, false, {{"DataDate", &GM::setDataDate}, {"Allow", &GM::setAllowed}, {"Limit", &GM::setLimit}});
}

std::shared_ptr<GameReturnMessage> ParseXML::parseRQGameByType(const NSString& reply) const
{
    return list<GameReturnMessage, GM>(reply, false, {{"GameName", &GM::setGameName}, {"Num", &GM::setNumber}});
}

// Black-list rules.

std::shared_ptr<CategoryVO> ParseXML::parseRQUrlType(const NSString& reply) const
{
    using C = CategoryTempVO;
    return list<CategoryVO, C>(reply, true,
                               {{"UrlBlack", &C::setTypeId}, {"UrlType", &C::setType}, {"UrlName", &C::setTypeName}});
}

std::shared_ptr<CategoryVO> ParseXML::parseRQGameType(const NSString& reply) const
{
    using C = CategoryTempVO;
    return list<CategoryVO, C>(reply, true,
                               {{"GameType", &C::setGameType},
                                {"GameName", &C::setGameName},
                                {"ProcName", &C::setProcName},
                                {"Author", &C::setAuthor},
                                {"UpdateTime", &C::setUpdateTime},
                                {"Type", &C::setRuleType},
                                {"SHA1", &C::setSHA1},
                                {"Path", &C::setPath}});
}

std::shared_ptr<UserGameRuleReturnMessage> ParseXML::parseRQGameRuleSelf(const NSString& reply) const
{
    using U = UserGameRuleMessage;
    return list<UserGameRuleReturnMessage, U>(reply, true,
                                              {{"GameName", &U::setGameName},
                                               {"ProcName", &U::setProcName},
                                               {"Author", &U::setAuthor},
                                               {"UpdateTime", &U::setUpdateTime},
                                               {"Type", &U::setType},
                                               {"SHA1", &U::setSHA1},
                                               {"Path", &U::setPath}});
}

std::shared_ptr<UserGameRuleReturnMessage> ParseXML::parseADGameRuleSelf(const NSString& reply) const
{
    using U = UserGameRuleReturnMessage;
    return fields<U>(reply, {{"Code", &U::setCode}, {"Desc", &U::setDesc}});
}

std::shared_ptr<UserGameRuleReturnMessage> ParseXML::parseDLGameRuleSelf(const NSString& reply) const
{
    return parseADGameRuleSelf(reply);
}

std::shared_ptr<UserUrlRuleReturnMessage> ParseXML::parseRQUrlRuleSelf(const NSString& reply) const
{
    auto record = std::make_shared<UserUrlRuleReturnMessage>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        const _XMLTreeElement* first = XMLTree::childElementNamed("List", body);
        if (!first) return;
        readFields(first, *record,
                   {{"UserID", &UserUrlRuleReturnMessage::setUserID},
                    {"UpdateTime", &UserUrlRuleReturnMessage::setUpdateTime}});
        const _XMLTreeElement* sites = XMLTree::childElementNamed("UrlBlack", first);
        NSString text = sites ? XMLTree::textForElement(sites) : NSString();
        if (!text.isNil() && text.length() > 0) record->setUrlList(text.componentsSeparatedByString(";"));
    });
    return record;
}

std::shared_ptr<UserUrlRuleReturnMessage> ParseXML::parseADUrlRuleSelf(const NSString& reply) const
{
    using U = UserUrlRuleReturnMessage;
    return fields<U>(reply, {{"Code", &U::setCode}, {"Desc", &U::setDesc}});
}

std::shared_ptr<UserUrlRuleReturnMessage> ParseXML::parseDLUrlRuleSelf(const NSString& reply) const
{
    return parseADUrlRuleSelf(reply);
}

std::shared_ptr<UserUrlRuleReturnMessage> ParseXML::parseDLUrlSelf(const NSString& reply) const
{
    return parseADUrlRuleSelf(reply);
}

std::shared_ptr<MessageInfo> ParseXML::parseADUrlLimit(const NSString& reply) const { return parsecutQuick(reply); }

// Statistics and the operation log.

std::shared_ptr<AnalysisReturnMessage> ParseXML::parseRQUrlTypeBrowse(const NSString& reply) const
{
    return analysis<AnalysisMessage>(reply, true,
                                     {{"Type", &AnalysisMessage::setType}, {"Num", &AnalysisMessage::setNum}});
}

std::shared_ptr<AnalysisReturnMessage> ParseXML::parseRQGameTypeBrowse(const NSString& reply) const
{
    return parseRQUrlTypeBrowse(reply);
}

std::shared_ptr<OpRecordReturnMessage> ParseXML::parseRQOpRecord(const NSString& reply) const
{
    using O = OpRecordMessage;
    return list<OpRecordReturnMessage, O>(
        reply, true, {{"OpTime", &O::setOpTime}, {"OpContent", &O::setOpContent}, {"OpIP", &O::setOpIp}});
}

// Captures.

std::shared_ptr<CaptureReturnMessage> ParseXML::parseRQCapturePic(const NSString& reply) const
{
    using C = CaptureMessage;
    return list<CaptureReturnMessage, C>(reply, true,
                                         {{"PicName", &C::setPicName},
                                          {"PicPath", &C::setPicPath},
                                          {"PicMiddle", &C::setPicMiddle},
                                          {"PicThumb", &C::setPicThumb},
                                          {"CaptureTime", &C::setCaptureTime}});
}

std::shared_ptr<CaptureReturnMessage> ParseXML::parseRQCapPicTime(const NSString& reply) const
{
    auto record = list<CaptureReturnMessage, CaptureMessage>(reply, true,
                                                             {{"CaptureTime", &CaptureMessage::setCaptureTime}});
    auto rows = record->list();
    std::erase_if(rows, [](const std::shared_ptr<CaptureMessage>& row) { return row->captureTime().isNil(); });
    record->setList(std::move(rows));
    return record;
}

// The home page.

std::shared_ptr<HomeInfoReturnMessage> ParseXML::parseHomeInfo(const NSString& reply) const
{
    using H = HomeInfoReturnMessage;
    return fields<H>(reply, {{"BootTime", &H::setBootTime},     {"CloseTime", &H::setCloseTime},
                             {"Flow", &H::setFlow},             {"UsedTime", &H::setUsedTime},
                             {"UsingUrl", &H::setUsingUrl},     {"UrlTime", &H::setUrlTime},
                             {"UsingGame", &H::setUsingGame},   {"GameTime", &H::setGameTime},
                             {"BadUrls", &H::setBadUrls},       {"LimitUrls", &H::setLimitUrls},
                             {"LimitGames", &H::setLimitGames}, {"IsOnline", &H::setIsOnline},
                             {"NetworkStatus", &H::setNetworkStatus}, {"ScreenStatus", &H::setScreenStatus},
                             {"Unlimited", &H::setUnlimited},   {"Rank", &H::setRank},
                             {"Info", &H::setInfo},             {"Service", &H::setService},
                             {"PicPath", &H::setPicPath},       {"PicMiddle", &H::setPicMiddle},
                             {"PicThumb", &H::setPicThumb}});
}

std::shared_ptr<AnalysisReturnMessage> ParseXML::parseRQRQCurLimit(const NSString& reply) const
{
    return analysis<HomeCurLimit>(
        reply, false, {{"Type", &HomeCurLimit::setType}, {"Name", &HomeCurLimit::setName}, {"Num", &HomeCurLimit::setNum}});
}

// Time and protect settings.

std::shared_ptr<TiemPeriodVo> ParseXML::parseTimePeriodList(const NSString& reply) const
{
    using T = TimePeriod;
    auto record = std::make_shared<TiemPeriodVo>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        record->setList(readList<T>(body, {{"BID", &T::setBid},
                                           {"Week", &T::setWeek},
                                           {"STTM", &T::setSttm},
                                           {"EDTM", &T::setEdtm},
                                           {"Type", &T::setType},
                                           {"Remark", &T::setRemark},
                                           {"Holiday", &T::setHoliday}}));
    });
    return record;
}

std::shared_ptr<TimeSettingReturnMessage> ParseXML::parseRQUrlPeriod(const NSString& reply) const
{
    return fields<TimeSettingReturnMessage>(reply, {{"UrlPeriod", &TimeSettingReturnMessage::setUrlPeriod}});
}

std::shared_ptr<TimeSettingReturnMessage> ParseXML::parseRQGamePeriod(const NSString& reply) const
{
    return fields<TimeSettingReturnMessage>(reply, {{"GamePeriod", &TimeSettingReturnMessage::setGamePeriod}});
}

std::shared_ptr<TimeSettingReturnMessage> ParseXML::parseUDUrlPeriod(const NSString& reply) const
{
    using T = TimeSettingReturnMessage;
    return fields<T>(reply, {{"Code", &T::setCode}, {"Desc", &T::setDesc}});
}

std::shared_ptr<TimeSettingReturnMessage> ParseXML::parseUDGamePeriod(const NSString& reply) const
{
    return parseUDUrlPeriod(reply);
}

std::shared_ptr<ProtectSettingReturnMessage> ParseXML::parseProtectSetting(const NSString& reply) const
{
    using P = ProtectSettingReturnMessage;
    return fields<P>(reply, {{"CmdType", &P::setCmdType},
                             {"CmdType1", &P::setCmdType1},
                             {"TimeType", &P::setTimeType},
                             {"TimeLength", &P::setTimeLength},
                             {"Unlimited", &P::setUnlimited}});
}

std::shared_ptr<ServiceSwitchReturnMessage> ParseXML::parseRQServiceSwitch(const NSString& reply) const
{
    using S = ServiceSwitchReturnMessage;
    return fields<S>(reply, {{"Protection", &S::setProtection},
                             {"UrlLimit", &S::setUrlLimit},
                             {"GameLimit", &S::setGameLimit},
                             {"Caress", &S::setCares},
                             {"ScreenShot", &S::setScreenShot},
                             {"CaressEnabled", &S::setCaressEnabled}});
}

std::shared_ptr<ServiceSwitchReturnMessage> ParseXML::parseUDServiceSwitch(const NSString& reply) const
{
    using S = ServiceSwitchReturnMessage;
    return fields<S>(reply, {{"Code", &S::setCode}, {"Desc", &S::setDesc}});
}
