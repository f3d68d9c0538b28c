// The requests of the devices, the account, the service packages,
// invitations, family numbers, location and device parameters, over loopback
// HTTP against the service double: the inner message each one writes, the
// model each one builds, and what happens when the exchange fails or an
// identifier is missing.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/BuyService.h"
#include "protocol/CrypHelper.h"
#include "protocol/EquipList.h"
#include "protocol/Family.h"
#include "protocol/Invite.h"
#include "protocol/Map.h"
#include "protocol/UserInfo.h"
#include "protocol/UserSetting.h"
#include "tests/protocol/ServiceFixture.h"
#include "tools/service-double/DemoAccount.h"

using servicedouble::Fault;

namespace {

// Every time stamp of a message or a reply model as "{NOW}".
std::string withoutTimes(const std::string& text)
{
    static const std::regex time(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");
    return std::regex_replace(text, time, "{NOW}");
}

std::string headFor(const std::string& sender, const std::string& type)
{
    return "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>" + sender +
           "</SNDR><RCVR>SYS</RCVR><SEQN>1</SEQN><DTTM>{NOW}</DTTM><TYPE>" + type + "</TYPE></HEAD>";
}

// A model as text: "name=value" per field, "-" for nil; rows in brackets.
template <class R>
using Field = std::pair<const char*, const NSString& (R::*)() const>;

template <class R>
std::string show(const R& record, std::initializer_list<Field<R>> fields)
{
    std::string out;
    for (const auto& [name, get] : fields) {
        const NSString& value = (record.*get)();
        out += (out.empty() ? "" : " ") + std::string(name) + "=" + (value.isNil() ? std::string("-") : value.str());
    }
    return out;
}

template <class Row>
std::string showRows(const std::vector<std::shared_ptr<Row>>& rows, std::initializer_list<Field<Row>> fields)
{
    std::string out;
    for (const auto& row : rows) out += "[" + show(*row, fields) + "]";
    return out;
}

std::string showInfo(const std::shared_ptr<MessageInfo>& m)
{
    return m ? show(*m, {{"code", &MessageInfo::code}, {"desc", &MessageInfo::desc}}) : "nil";
}

std::string showDevices(const std::shared_ptr<EquipVO>& m)
{
    using E = EquipTempVO;
    return m ? showRows(m->list(), {{"user", &E::userID}, {"bid", &E::typeName}, {"nick", &E::typeNick},
                                    {"online", &E::isOnline}, {"taocan", &E::taoCan}, {"kind", &E::equipType},
                                    {"manager", &E::managerType}})
             : "nil";
}

std::string showAccount(const std::shared_ptr<UserInfoReturnMessage>& m)
{
    using U = UserInfoReturnMessage;
    return m ? show(*m, {{"userId", &U::userId}, {"userName", &U::userName}, {"email", &U::email}, {"qq", &U::qq},
                         {"taocan", &U::taocan}, {"taocanleft", &U::taocanleft}, {"recordTime", &U::recordTime},
                         {"spaceTotal", &U::spaceTotal}, {"spaceUsed", &U::spaceUsed},
                         {"accountBalance", &U::accountBalance}, {"regTime", &U::regTime},
                         {"loginTime", &U::loginTime}, {"captureInterval", &U::captureInterval},
                         {"phone", &U::phone}, {"verified", &U::verified}, {"heartTime", &U::heartTime},
                         {"remoteIp", &U::remoteIp}, {"ver", &U::ver}, {"code", &U::code}, {"desc", &U::desc}})
             : "nil";
}

std::string showPackages(const std::shared_ptr<BuyServiceReturnMessage>& m)
{
    using R = BuyServiceReturnMessage;
    using B = BuyServiceMessage;
    return m ? show(*m, {{"total", &R::totalRecord}, {"code", &R::code}, {"desc", &R::desc}}) +
                   showRows(m->list(), {{"item", &B::srvItem}, {"months", &B::months}, {"money", &B::money},
                                        {"time", &B::dataTime}, {"ip", &B::ip}, {"about", &B::srvDesc},
                                        {"price", &B::price}, {"price1", &B::price1}})
             : "nil";
}

std::string showInvitations(const std::shared_ptr<InviteReturnMessage>& m)
{
    using I = InviteMessage;
    return m ? show(*m, {{"total", &InviteReturnMessage::totalRecord}}) +
                   showRows(m->list(), {{"fid", &I::fID}, {"name", &I::fName}, {"added", &I::addTime}})
             : "nil";
}

std::string showFamily(const std::shared_ptr<FamilyReturnMessage>& m)
{
    using F = FamilyMessage;
    return m ? show(*m, {{"total", &FamilyReturnMessage::totalRecord}}) +
                   showRows(m->list(), {{"no", &F::phoneNo}, {"name", &F::phoneName}, {"phoneType", &F::phoneType},
                                        {"del", &F::isDel}, {"updated", &F::updateTime}, {"type", &F::type}})
             : "nil";
}

std::string showPositions(const std::shared_ptr<MapReturnMessage>& m)
{
    using P = MapMessage;
    return m ? "positions" + showRows(m->list(), {{"lon", &P::longitude}, {"lat", &P::latitude},
                                                  {"address", &P::address}, {"time", &P::updateTime}})
             : "nil";
}

std::string showMode(const std::shared_ptr<MapCmdMessage>& m)
{
    return m ? show(*m, {{"sttm", &MapCmdMessage::sttm}, {"type", &MapCmdMessage::type}}) : "nil";
}

std::string showSetting(const std::shared_ptr<UserSettingReturnMessage>& m)
{
    return m ? show(*m, {{"minutes", &UserSettingReturnMessage::minutes}}) : "nil";
}

// One request of the catalogue: its TYPE and the call, its model as text.
struct Request {
    const char* type;
    std::function<std::string()> call;
};

// Every request, in the order of the catalogue, with the bodies the screens write.
const std::vector<Request>& catalogue()
{
    static const std::vector<Request> all = {
        {"RQManageUser", [] { return showDevices(EquipList::init()->RQEquipList()); }},
        {"ADCmd", [] { return showInfo(EquipList::init()->RQBindEquip("13900139000")); }},
        {"ADManageUser",
         [] { return showInfo(EquipList::init()->RQAddEquip("<BODY><BID>13900139000</BID></BODY></MSG>")); }},
        {"DLManageUser", [] { return showInfo(EquipList::init()->RQDELdevice("PC-CLASS-07")); }},
        {"UDManageUser",
         [] {
             return showInfo(EquipList::init()->RQEditEquipNick("<BODY><BID>PC-HOME-01</BID><Nick>Den</Nick></BODY></MSG>"));
         }},
        {"UDEquip",
         [] {
             return showInfo(EquipList::init()->UDEquip("<BODY><OldId>PC-HOME-01</OldId><NewId>PC-HOME-02</NewId></BODY></MSG>"));
         }},
        {"RQUserInfo", [] { return showAccount(UserInfo::init()->RQUserInfo()); }},
        {"ADUserInfo",
         [] {
             return showAccount(UserInfo::init()->ADUserInfo(
                 "<BODY><UserID>13700137000</UserID><UserName></UserName><Password>new-secret</Password>"
                 "<Phone>13700137000</Phone><Email></Email><QQ></QQ><RegTime>2012-05-01 08:00:00</RegTime></BODY></MSG>"));
         }},
        {"RQPassword", [] { return showAccount(UserInfo::init()->RQPassword("13800138000")); }},
        {"UDUserInfo",
         [] { return showAccount(UserInfo::init()->UDUserInfo("<BODY><Email>a@example.com</Email></BODY></MSG>")); }},
        {"RQBuyService",
         [] { return showPackages(BuyService::init()->RQBuyService(Body::initWithDataDate(NSString(), "3", "10"))); }},
        {"RQCanBuyService", [] { return showPackages(BuyService::init()->RQCanBuyService()); }},
        {"RQHaveBuyService", [] { return showPackages(BuyService::init()->RQHaveBuyService()); }},
        {"ADBuyService",
         [] {
             return showPackages(BuyService::init()->ADBuyService(
                 BuyServiceMessage::initWithSrvItem("A", "6", "60.00", "2012-05-01 08:00:00", "10.0.0.1")));
         }},
        {"ADSHF",
         [] {
             return showInfo(Invite::init()->ADShareFriend(
                 "<BODY><BID>13800138000</BID><List><FID>13700137001</FID><FNAME>Wang</FNAME></List></BODY></MSG>"));
         }},
        {"RQSHF",
         [] {
             return showInvitations(Invite::init()->RQShareFriend(
                 "<BODY><BID>13800138000</BID><Valid>1</Valid><PageIndex>2</PageIndex><PageSize>10</PageSize></BODY></MSG>"));
         }},
        {"ADFamilyPhone",
         [] {
             return showInfo(Family::init()->ADFamilyPhone(
                 "<BODY><BID>13800138000</BID><List><PhoneNo>13800138001</PhoneNo><PhoneName>Mum</PhoneName>"
                 "<PhoneType>亲情</PhoneType><UpdateTime>2012-05-01 08:00:00</UpdateTime></List></BODY></MSG>"));
         }},
        {"DLFamilyPhone",
         [] {
             return showInfo(Family::init()->DLFamilyPhone(
                 "<BODY><BID>13800138000</BID><List><PhoneNo>13800138001</PhoneNo></List></BODY></MSG>"));
         }},
        {"RQFamilyPhone",
         [] {
             return showFamily(Family::init()->RQFamilyPhone(
                 "<BODY><UserID>1001</UserID><DataDate>2011-01-01</DataDate></BODY></MSG>"));
         }},
        {"ADCmd", [] { return showInfo(Map::init()->AdCmd("5")); }},
        {"RQLocation",
         [] {
             return showPositions(Map::init()->RQLocation(
                 "<BODY><BID>13900139000</BID><DataDate>2012-05-01</DataDate></BODY></MSG>"));
         }},
        {"ADLocation",
         [] { return showInfo(Map::init()->ADLocation("<BODY><BID>13900139000</BID></BODY></MSG>")); }},
        {"RQCmdLocation",
         [] { return showMode(Map::init()->RQCmdLocation("<BODY><BID>13900139000</BID></BODY></MSG>")); }},
        {"RQUserSetting",
         [] {
             return showSetting(UserSetting::init()->RQUserSettingPhone(
                 "<BODY><Equipid>13900139000</Equipid><ParaName>SyncTime</ParaName></BODY></MSG>"));
         }},
        {"UDUserSetting",
         [] {
             return showInfo(UserSetting::init()->UDUserSettingPhone(
                 "<BODY><Equipid>13900139000</Equipid><ParaName>SyncTime</ParaName><ParaValue>15</ParaValue></BODY></MSG>"));
         }},
    };
    return all;
}

// What a request answers when nothing came back or nothing could be sent:
// nil, except the two whose screens take an empty record.
std::string failureModel(const std::string& type)
{
    if (type == "UDUserInfo") return showAccount(std::make_shared<UserInfoReturnMessage>());
    if (type == "RQHaveBuyService") return showPackages(std::make_shared<BuyServiceReturnMessage>());
    return "nil";
}

class DeviceCatalogueTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        ServiceFixture::SetUp();
        NSUserDefaults::standardUserDefaults()->setObject(NSString("13900139000"), "DeviceId");
    }
};

TEST_F(DeviceCatalogueTest, EachRequestWritesItsInnerMessage)
{
    // Senders: the login name for the device list, binding, adding and every
    // package request; the stored user ID for the rest.
    struct Case {
        size_t request;  // index in the catalogue
        const char* sender;
        const char* body;
    } cases[] = {
        {0, "13800138000", "<BODY><UserID>13800138000</UserID></BODY></MSG>"},
        {1, "13800138000", "<BODY><BID>13900139000</BID><STTM>{NOW}</STTM><Type>6</Type></BODY></MSG>"},
        {2, "13800138000", "<BODY><BID>13900139000</BID></BODY></MSG>"},
        {3, "1001", "<BODY><BID>PC-CLASS-07</BID></BODY></MSG>"},
        {4, "1001", "<BODY><BID>PC-HOME-01</BID><Nick>Den</Nick></BODY></MSG>"},
        {5, "1001", "<BODY><OldId>PC-HOME-01</OldId><NewId>PC-HOME-02</NewId></BODY></MSG>"},
        {6, "1001", "<BODY><UserID>1001</UserID></BODY></MSG>"},
        {7, "1001",
         "<BODY><UserID>13700137000</UserID><UserName></UserName><Password>new-secret</Password>"
         "<Phone>13700137000</Phone><Email></Email><QQ></QQ><RegTime>{NOW}</RegTime></BODY></MSG>"},
        {8, "1001", "<BODY><UserID>13800138000</UserID></BODY></MSG>"},
        {9, "1001", "<BODY><Email>a@example.com</Email></BODY></MSG>"},
        // The page asked for is the page sent.
        {10, "13800138000", "<BODY><PageIndex>3</PageIndex><PageSize>10</PageSize></BODY></MSG>"},
        {11, "13800138000", "<BODY><UserID>13800138000</UserID></BODY></MSG>"},
        {12, "13800138000", "<BODY><UserID>13800138000</UserID></BODY></MSG>"},
        {13, "13800138000",
         "<BODY><List><SrvItem>A</SrvItem><DataTime>{NOW}</DataTime><Months>6</Months><Money>60.00</Money>"
         "<IP>10.0.0.1</IP></List></BODY></MSG>"},
        {14, "1001", "<BODY><BID>13800138000</BID><List><FID>13700137001</FID><FNAME>Wang</FNAME></List></BODY></MSG>"},
        {15, "1001",
         "<BODY><BID>13800138000</BID><Valid>1</Valid><PageIndex>2</PageIndex><PageSize>10</PageSize></BODY></MSG>"},
        {16, "1001",
         "<BODY><BID>13800138000</BID><List><PhoneNo>13800138001</PhoneNo><PhoneName>Mum</PhoneName>"
         "<PhoneType>亲情</PhoneType><UpdateTime>{NOW}</UpdateTime></List></BODY></MSG>"},
        {17, "1001", "<BODY><BID>13800138000</BID><List><PhoneNo>13800138001</PhoneNo></List></BODY></MSG>"},
        {18, "1001", "<BODY><UserID>1001</UserID><DataDate>2011-01-01</DataDate></BODY></MSG>"},
        // The location mode command names the chosen device.
        {19, "1001", "<BODY><BID>13900139000</BID><STTM>{NOW}</STTM><Type>5</Type></BODY></MSG>"},
        {20, "1001", "<BODY><BID>13900139000</BID><DataDate>2012-05-01</DataDate></BODY></MSG>"},
        {21, "1001", "<BODY><BID>13900139000</BID></BODY></MSG>"},
        {22, "1001", "<BODY><BID>13900139000</BID></BODY></MSG>"},
        {23, "1001", "<BODY><Equipid>13900139000</Equipid><ParaName>SyncTime</ParaName></BODY></MSG>"},
        {24, "1001",
         "<BODY><Equipid>13900139000</Equipid><ParaName>SyncTime</ParaName><ParaValue>15</ParaValue></BODY></MSG>"},
    };
    ASSERT_EQ(std::size(cases), catalogue().size());
    for (const Case& c : cases) {
        const Request& request = catalogue()[c.request];
        SCOPED_TRACE(request.type);
        service.reply(request.type, "<Code>0</Code><Desc>ok</Desc>");
        size_t before = service.exchanges().size();
        EXPECT_NE(request.call(), "nil");
        auto all = service.exchanges();
        ASSERT_EQ(all.size(), before + 1);
        const auto& e = all.back();
        EXPECT_EQ(e.type, request.type);
        EXPECT_EQ(e.headerUserName, "1001");
        EXPECT_EQ(withoutTimes(e.message), headFor(c.sender, request.type) + c.body);
        EXPECT_EQ(e.encipheredTwice, std::string(request.type) == "ADManageUser");
    }
}

TEST_F(DeviceCatalogueTest, RepliesBecomeTheirModels)
{
    struct Case {
        size_t request;
        const char* reply;     // BODY content
        const char* expected;  // the model as text
    } cases[] = {
        // Devices in document order, with other elements between them.
        {0,
         "<TotalRecord>3</TotalRecord><List><UserID>1</UserID><BID>A</BID><Nick>a</Nick><IsOnline>1</IsOnline>"
         "<TaoCan>A</TaoCan><EquipType>PC</EquipType><ManageType>School</ManageType></List><Note/>"
         "<List><BID>B</BID></List><List><UserID>3</UserID><Nick></Nick></List>",
         "[user=1 bid=A nick=a online=1 taocan=A kind=PC manager=School]"
         "[user=- bid=B nick=- online=- taocan=- kind=- manager=-]"
         "[user=3 bid=- nick= online=- taocan=- kind=- manager=-]"},
        {0, "<TotalRecord>0</TotalRecord>", ""},
        {1, "<Code>0</Code>", "code=0 desc=-"},
        {3, "<Desc>not yours</Desc>", "code=- desc=not yours"},
        {6,
         "<UserID>13800138000</UserID><UserName>Li</UserName><Email>e@x</Email><QQ>8</QQ><Taocan>A</Taocan>"
         "<Days>30</Days><SpaceTotal>500</SpaceTotal><SpaceUsed>42</SpaceUsed><AccountBalance>1.5</AccountBalance>"
         "<RegTime>r</RegTime><LoginTime>l</LoginTime><CaptureInterval>10</CaptureInterval><Phone>p</Phone>"
         "<Verified>1</Verified><HeartTime>h</HeartTime><RemoteIP>ip</RemoteIP><Ver>2.2</Ver><Code>9</Code>",
         "userId=13800138000 userName=Li email=e@x qq=8 taocan=A taocanleft=30 recordTime=- spaceTotal=500 "
         "spaceUsed=42 accountBalance=1.5 regTime=r loginTime=l captureInterval=10 phone=p verified=1 heartTime=h "
         "remoteIp=ip ver=2.2 code=- desc=-"},
        // A command reply fills code and desc only.
        {7, "<Code>0</Code><Desc>registered</Desc><UserID>x</UserID>",
         "userId=- userName=- email=- qq=- taocan=- taocanleft=- recordTime=- spaceTotal=- spaceUsed=- "
         "accountBalance=- regTime=- loginTime=- captureInterval=- phone=- verified=- heartTime=- remoteIp=- ver=- "
         "code=0 desc=registered"},
        {10,
         "<TotalRecord>2</TotalRecord><List><SrvItem>A</SrvItem><Months>6</Months><Money>60</Money>"
         "<DataTime>t1</DataTime><IP>ip1</IP><SrvDesc>d</SrvDesc></List><List><SrvItem>B</SrvItem></List>",
         "total=2 code=- desc=-[item=A months=6 money=60 time=t1 ip=ip1 about=- price=- price1=-]"
         "[item=B months=- money=- time=- ip=- about=- price=- price1=-]"},
        {11, "<TotalRecord>1</TotalRecord><List><SrvItem>A</SrvItem><SrvDesc>Home</SrvDesc><Price>10</Price><Price1>100</Price1><Months>6</Months></List>",
         "total=- code=- desc=-[item=A months=- money=- time=- ip=- about=Home price=10 price1=100]"},
        // A held package's SinceTime is its time.
        {12, "<List><SrvItem>A</SrvItem><SrvDesc>Home</SrvDesc><Months>6</Months><SinceTime>2012-01-01</SinceTime></List>",
         "total=- code=- desc=-[item=A months=6 money=- time=2012-01-01 ip=- about=Home price=- price1=-]"},
        {13, "<Code>0</Code><Desc>paid</Desc>", "total=- code=0 desc=paid"},
        {15,
         "<TotalRecord>12</TotalRecord><List><FID>137</FID><FNAME>Wang</FNAME><AddTime>t</AddTime></List>"
         "<List><FID>138</FID></List>",
         "total=12[fid=137 name=Wang added=t][fid=138 name=- added=-]"},
        {15, "", "total=-"},
        // Type and PhoneType side by side.
        {18,
         "<TotalRecord>1</TotalRecord><List><PhoneNo>1</PhoneNo><PhoneName>Mum</PhoneName><PhoneType>亲情</PhoneType>"
         "<IsDel>0</IsDel><UpdateTime>u</UpdateTime><Type>1</Type></List>",
         "total=1[no=1 name=Mum phoneType=亲情 del=0 updated=u type=1]"},
        {20,
         "<List><Longitude>116.4</Longitude><Latitude>39.9</Latitude><Address>无</Address><UpdateTime>u</UpdateTime></List>"
         "<List><Latitude>40</Latitude></List>",
         "positions[lon=116.4 lat=39.9 address=无 time=u][lon=- lat=40 address=- time=-]"},
        {20, "", "positions"},
        {22, "<STTM>s</STTM><Type>4</Type>", "sttm=s type=4"},
        {22, "<STTM>s</STTM>", "sttm=s type=-"},
        // Only the first List counts.
        {23, "<List><ParaName>SyncTime</ParaName><ParaValue>30</ParaValue></List><List><ParaValue>60</ParaValue></List>",
         "minutes=30"},
        {23, "<List><ParaName>SyncTime</ParaName></List><List><ParaValue>60</ParaValue></List>", "minutes=-"},
        {23, "<ParaValue>30</ParaValue>", "minutes=-"},
    };
    for (const Case& c : cases) {
        const Request& request = catalogue()[c.request];
        SCOPED_TRACE(std::string(request.type) + ": " + c.reply);
        service.reply(request.type, c.reply);
        EXPECT_EQ(request.call(), c.expected);
    }
}

TEST_F(DeviceCatalogueTest, FailedExchangesGiveNilAndRepliesWithoutBodyEmptyModels)
{
    for (Fault fault : {Fault::Http500, Fault::CloseConnection, Fault::BadBase64}) {
        service.fault("", fault);
        for (const Request& request : catalogue()) {
            SCOPED_TRACE(std::string(request.type) + " fault " + std::to_string(int(fault)));
            EXPECT_EQ(request.call(), failureModel(request.type));
        }
    }
    // A reply without BODY: an empty model, never nil.
    service.fault("", Fault::NoBody);
    for (const Request& request : catalogue()) {
        SCOPED_TRACE(request.type);
        service.reply(request.type, "<Code>0</Code><Desc>ok</Desc><List><BID>x</BID></List>");
        std::string model = request.call();
        EXPECT_NE(model, "nil");
        for (const char* replied : {"0", "ok", "["}) EXPECT_EQ(model.find(replied), std::string::npos) << model;
    }
}

TEST_F(DeviceCatalogueTest, MissingIdentifiersSendNothing)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    struct Case {
        const char* name;
        std::function<void()> forget;  // what is missing
        std::vector<size_t> requests;  // which of the catalogue then send nothing
    } cases[] = {
        {"no login name", [] { Constant::setUserName(NSString()); }, {0, 1, 2, 10, 11, 12, 13}},
        {"no user ID", [] { Constant::setUserID(NSString()); },
         {3, 4, 5, 6, 9, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
        {"no chosen device", [defaults] { defaults->removeObjectForKey("DeviceId"); }, {19}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.forget();
        for (size_t i : c.requests) {
            const Request& request = catalogue()[i];
            SCOPED_TRACE(request.type);
            size_t before = service.exchanges().size();
            EXPECT_EQ(request.call(), failureModel(request.type));
            EXPECT_EQ(service.exchanges().size(), before);
        }
        Constant::setUserName("13800138000");
        Constant::setUserID("1001");
        defaults->setObject(NSString("13900139000"), "DeviceId");
    }
    EXPECT_FALSE(logged("(null)"));

    // Arguments that are missing count the same.
    EXPECT_FALSE(EquipList::init()->RQBindEquip(NSString()));
    EXPECT_FALSE(EquipList::init()->RQDELdevice(NSString()));
    EXPECT_FALSE(EquipList::init()->RQAddEquip(NSString()));
    EXPECT_FALSE(Map::init()->AdCmd(NSString()));
    EXPECT_FALSE(Family::init()->RQFamilyPhone(NSString()));
    EXPECT_FALSE(UserInfo::init()->RQPassword(NSString()));
    EXPECT_FALSE(BuyService::init()->RQBuyService(nullptr));
    EXPECT_FALSE(BuyService::init()->ADBuyService(nullptr));
    EXPECT_TRUE(service.exchanges().empty());
}

TEST_F(DeviceCatalogueTest, SignUpAndPasswordRecoveryGoOutBeforeAnyLogin)
{
    Constant::setUserID(NSString());
    service.reply("ADUserInfo", "<Code>0</Code>");
    service.reply("RQPassword", "<Code>0</Code>");
    auto signUp = UserInfo::init()->ADUserInfo("<BODY><UserID>13700137000</UserID></BODY></MSG>");
    ASSERT_TRUE(signUp);
    EXPECT_EQ(signUp->code(), "0");
    auto recovery = UserInfo::init()->RQPassword("13700137000");
    ASSERT_TRUE(recovery);
    EXPECT_EQ(recovery->code(), "0");
    for (const auto& e : service.exchanges()) {
        EXPECT_EQ(e.sender, "");
        EXPECT_EQ(e.message.find("(null)"), std::string::npos) << e.message;
    }
}

TEST_F(DeviceCatalogueTest, AddingADeviceIsEncipheredTwiceAndLogsNoCredentials)
{
    service.reply("ADManageUser", "<Code>0</Code>");
    const std::string body =
        "<BODY><UserName>tom</UserName><Password>kid-secret</Password><Nick>Tom</Nick></BODY></MSG>";
    auto info = EquipList::init()->RQAddEquip(NSString(body));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->code(), "0");

    auto e = onlyExchange();
    EXPECT_TRUE(e.encipheredTwice);
    EXPECT_EQ(e.type, "ADManageUser");
    EXPECT_EQ(e.sender, "13800138000");
    EXPECT_EQ(withoutTimes(e.message), headFor("13800138000", "ADManageUser") + body);
    // What the transport was handed: the Base64 cipher text of the message.
    const std::string& envelope = e.request.body;
    size_t open = envelope.find("<p_strMsg>") + 10;
    NSString handed = CrypHelper::decryptStr(NSString(envelope.substr(open, envelope.find("</p_strMsg>") - open)));
    EXPECT_EQ(handed, CrypHelper::encryptStr(NSString(e.message)));
    EXPECT_NE(handed.str().front(), '<');

    EXPECT_TRUE(logged("<Password>***</Password>"));
    EXPECT_FALSE(logged("kid-secret"));
    EXPECT_FALSE(logged(handed.str()));
}

// Receives the account record on the main thread.
class AccountScreen : public NSObject {
public:
    explicit AccountScreen(std::shared_ptr<std::vector<std::string>> seen) : seen_(std::move(seen)) {}
    void didLoad(const id& record)
    {
        EXPECT_TRUE(NSThread::isMainThread());
        seen_->push_back(showAccount(std::dynamic_pointer_cast<UserInfoReturnMessage>(record)));
    }

private:
    std::shared_ptr<std::vector<std::string>> seen_;
};

TEST_F(DeviceCatalogueTest, AccountCallbackReachesOnlyALiveDelegateWithASelector)
{
    service.reply("RQUserInfo", "<UserID>13800138000</UserID><Days>30</Days>");
    auto seen = std::make_shared<std::vector<std::string>>();

    // Each case runs the request on a worker thread while the main loop
    // waits, does what it must before the callback may run, then drains the
    // main loop up to a marker queued after the callback.
    auto run = [&](const std::shared_ptr<UserInfo>& request, const std::function<void()>& beforeCallback) {
        std::mutex mutex;
        std::condition_variable returned;
        bool finished = false, drained = false;
        NSThread::detachNewThreadWithBlock([&, request] {
            request->RQUserInfoNewThread();
            std::lock_guard lock(mutex);
            finished = true;
            returned.notify_all();
        });
        {
            std::unique_lock lock(mutex);
            ASSERT_TRUE(returned.wait_for(lock, std::chrono::seconds(10), [&] { return finished; }));
        }
        beforeCallback();
        NSThread::performBlockOnMainThread([&] { drained = true; }, false);
        ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return drained; }, 10));
    };

    auto screen = std::make_shared<AccountScreen>(seen);
    auto request = UserInfo::init();
    request->setDelegate(screen);
    request->setCallbackSEL(NX_SEL(AccountScreen, didLoad));
    run(request, [] {});
    ASSERT_EQ(seen->size(), 1u);
    EXPECT_NE(seen->back().find("userId=13800138000"), std::string::npos);
    EXPECT_NE(seen->back().find("taocanleft=30"), std::string::npos);

    // Nothing came back: the delegate still hears, with an empty record.
    service.fault("RQUserInfo", Fault::Http500);
    run(request, [] {});
    ASSERT_EQ(seen->size(), 2u);
    EXPECT_EQ(seen->back(), showAccount(std::make_shared<UserInfoReturnMessage>()));
    service.fault("RQUserInfo", Fault::None);

    // An empty selector is skipped.
    request->setCallbackSEL(SEL{});
    run(request, [] {});
    EXPECT_EQ(seen->size(), 2u);

    // A delegate gone before the callback runs is skipped.
    request->setCallbackSEL(NX_SEL(AccountScreen, didLoad));
    run(request, [&] { screen.reset(); });
    EXPECT_EQ(seen->size(), 2u);
}

TEST_F(DeviceCatalogueTest, TheDemoAccountAnswersEveryRequest)
{
    servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);
    // Before the catalogue, whose removal of a device the double keeps.
    auto devices = EquipList::init()->RQEquipList();
    ASSERT_TRUE(devices);
    ASSERT_EQ(devices->list().size(), 3u);
    EXPECT_EQ(devices->list()[1]->equipType(), "Phone");
    for (const Request& request : catalogue()) {
        SCOPED_TRACE(request.type);
        std::string model = request.call();
        EXPECT_NE(model, "nil");
        EXPECT_EQ(model.find("unknown request"), std::string::npos) << model;
        EXPECT_EQ(model.find("code=-1"), std::string::npos) << model;
    }
    auto day = Map::init()->RQLocation("<BODY><BID>13900139000</BID><DataDate>2012-05-01</DataDate></BODY></MSG>");
    ASSERT_TRUE(day);
    EXPECT_GE(day->list().size(), 8u);
    for (const auto& p : day->list()) {
        // Around the centre of Beijing.
        EXPECT_NEAR(std::stod(p->longitude().str()), 116.40, 0.05);
        EXPECT_NEAR(std::stod(p->latitude().str()), 39.92, 0.05);
    }
    auto family = Family::init()->RQFamilyPhone("<BODY><UserID>1001</UserID><DataDate>2011-01-01</DataDate></BODY></MSG>");
    ASSERT_TRUE(family);
    EXPECT_EQ(family->list().size(), 3u);
    auto invitations = Invite::init()->RQShareFriend(
        "<BODY><BID>13800138000</BID><Valid>0</Valid><PageIndex>1</PageIndex><PageSize>10</PageSize></BODY></MSG>");
    ASSERT_TRUE(invitations);
    EXPECT_FALSE(invitations->list().empty());
}

}  // namespace
