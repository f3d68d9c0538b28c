// Login and password changes over real loopback HTTP against the service double.

#include "protocol/WebService.h"

#include "protocol/CrypHelper.h"
#include "tests/protocol/ServiceFixture.h"
#include "tools/testserver/TestServer.h"

using servicedouble::Fault;
using Fields = std::vector<std::pair<std::string, std::string>>;

namespace {

const Fields kAccepted = {{"RetNo", "0"},      {"RetMsg", "ok"},         {"TaoCan", "A"},
                          {"ImgDays", "7"},    {"RecordDays", "30"},     {"TaoCanDays", "180"},
                          {"NowDate", "2012-05-01"}, {"MobileCount", "2"}};

class LoginTest : public ServiceFixture {
protected:
    // Package data a previous login left in the store.
    static void storeEarlierPackage()
    {
        Constant::setImgDays("1");
        Constant::setRecordDays("2");
        Constant::setTaocanDays("3");
        Constant::setServerTime("2011-01-01");
        Constant::setMobileCount("4");
        Constant::setTaoCanType("Z");
    }
    static std::vector<NSString> storedPackage()
    {
        return {Constant::imgDays(),    Constant::recordDays(),  Constant::taocanDays(),
                Constant::serverTime(), Constant::mobileCount(), Constant::taoCanType()};
    }
};

TEST_F(LoginTest, EnvelopeCarriesEachCredentialEnciphered)
{
    service.replyLogin(kAccepted);
    EXPECT_EQ(WebService::loginByUserName("13800138000", "pa<ss"), "0");

    auto e = onlyExchange();
    EXPECT_EQ(e.endpoint, "AuthService");
    EXPECT_EQ(e.request.path, "/ZazoRE2.2/AuthService.asmx");
    EXPECT_EQ(e.userName, "13800138000");
    EXPECT_EQ(e.password, "pa<ss");
    EXPECT_EQ(e.projectID, "PLOV");
    std::string user = CrypHelper::encryptStr("13800138000").str(), pass = CrypHelper::encryptStr("pa<ss").str();
    std::string expected =
        "<?xml version='1.0' encoding='utf-8'?>"
        "<soap12:Envelope xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
        "xmlns:xsd='http://www.w3.org/2001/XMLSchema' xmlns:soap12='http://www.w3.org/2003/05/soap-envelope'>"
        "<soap12:Header><SecureSoapHeader xmlns='http://tempuri.org/'><UserName>" + user + "</UserName><PassWord>" +
        pass + "</PassWord></SecureSoapHeader></soap12:Header><soap12:Body><Login xmlns='http://tempuri.org/'>"
        "<p_strProjectID>" + CrypHelper::encryptStr("PLOV").str() + "</p_strProjectID><p_strUserName>" + user +
        "</p_strUserName><p_strUserPasswd>" + pass + "</p_strUserPasswd></Login></soap12:Body></soap12:Envelope>";
    EXPECT_EQ(e.request.body, expected);
    EXPECT_EQ(e.request.headers.get("Content-Type"), "text/xml; charset=utf-8");

    // Neither the password nor any enciphered credential reaches the log.
    for (const std::string& secret : {std::string("pa<ss"), pass, user}) {
        EXPECT_FALSE(logged(secret)) << secret;
    }
}

TEST_F(LoginTest, ResultCodesAndWhenThePackageIsStored)
{
    shortTimeOut();
    struct Case {
        const char* name;
        Fields fields;
        Fault fault;
        const char* code;
        bool stores;
    } cases[] = {
        {"accepted, full package", kAccepted, Fault::None, "0", true},
        {"accepted, other package", {{"RetNo", "0"}, {"TaoCan", "B"}}, Fault::None, "-2", true},
        {"refused", {{"RetNo", "1"}, {"RetMsg", "wrong password"}, {"TaoCan", "A"}}, Fault::None, "-1", false},
        {"no RetNo", {{"TaoCan", "A"}, {"ImgDays", "9"}}, Fault::None, "-1", false},
        {"time-out", kAccepted, Fault::Stall, "-3", false},
        {"closed connection", kAccepted, Fault::CloseConnection, "-3", false},
        {"HTTP 500", kAccepted, Fault::Http500, "-3", false},
        {"no LoginResult", kAccepted, Fault::NoResultElement, "-1", false},
        {"bad Base64", kAccepted, Fault::BadBase64, "-1", false},
        {"not UTF-8", kAccepted, Fault::NotUTF8, "-1", false},
        {"escaped result", kAccepted, Fault::EscapedResult, "0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        storeEarlierPackage();
        auto before = storedPackage();
        service.replyLogin(c.fields);
        service.fault("Login", c.fault);
        EXPECT_EQ(WebService::loginByUserName("13800138000", "secret"), c.code);
        if (!c.stores) {
            EXPECT_EQ(storedPackage(), before);
        } else if (c.fields == kAccepted) {
            EXPECT_EQ(storedPackage(), (std::vector<NSString>{"7", "30", "180", "2012-05-01", "2", "A"}));
        } else {
            // Absent values remove what an earlier login stored.
            EXPECT_EQ(storedPackage(), (std::vector<NSString>{{}, {}, {}, {}, {}, "B"}));
        }
    }
}

TEST_F(LoginTest, FailedLoginIsRetriedAfreshOnceTheServiceIsBack)
{
    service.replyLogin(kAccepted);
    pointAt(testserver::Server::refusedPort());
    EXPECT_EQ(WebService::loginByUserName("13800138000", "secret"), "-3");
    EXPECT_TRUE(Constant::taoCanType().isNil());
    pointAt(service.port());
    EXPECT_EQ(WebService::loginByUserName("13800138000", "secret"), "0");
    EXPECT_EQ(Constant::taoCanType(), "A");
}

TEST(LoginReply, ParseLoginReadsTheRootsChildrenOnlyWithRetNo)
{
    auto parser = ParseXML::init();
    auto full = parseLogin(*parser, "<R><RetNo>0</RetNo><RetMsg> ok </RetMsg><TaoCan>A</TaoCan><NowDate></NowDate></R>");
    EXPECT_EQ(full->returnNumber(), "0");
    EXPECT_EQ(full->returnMessage(), "ok");
    EXPECT_EQ(full->returnTaocan(), "A");
    EXPECT_EQ(full->returnServerDate(), "");
    EXPECT_TRUE(full->returnImgDays().isNil());
    EXPECT_EQ(full->description(), "[RetNo:0,RetMsg:ok]");

    for (const NSString& unread : {NSString(), NSString("DECODE ERROR"), NSString("<R><TaoCan>A</TaoCan></R>"),
                                   NSString("<R><BODY><RetNo>0</RetNo></BODY></R>")}) {
        auto empty = parseLogin(*parser, unread);
        EXPECT_TRUE(empty->returnNumber().isNil());
        EXPECT_TRUE(empty->returnTaocan().isNil());
        EXPECT_EQ(empty->description(), "[RetNo:(null),RetMsg:(null)]");
    }
}

class PasswordTest : public ServiceFixture {};

TEST_F(PasswordTest, EditPassSendsTheLoginNameAndNewPassword)
{
    service.reply("UDPassword", "<Code>0</Code><Desc>changed</Desc>");
    EXPECT_EQ(WebService::editPass("n3w-secret"), "0");
    auto e = onlyExchange();
    EXPECT_EQ(e.type, "UDPassword");
    EXPECT_EQ(e.sender, "13800138000");
    EXPECT_NE(e.message.find("</HEAD><BODY><UserID>13800138000</UserID><Password>n3w-secret</Password></BODY></MSG>"),
              std::string::npos);
    EXPECT_EQ(e.message.substr(e.message.size() - 6), "</MSG>");
    EXPECT_TRUE(logged("<Password>***</Password>"));
    EXPECT_FALSE(logged("n3w-secret"));
}

TEST_F(PasswordTest, EditPassByPhoneSendsTheCallersBodyAndAnswersNilWithoutCode)
{
    const std::string body = "<BODY><UserID>13900139000</UserID><Password>reset-pw</Password></BODY></MSG>";
    service.reply("UDPassword", "<Code>7</Code>");
    EXPECT_EQ(WebService::editPassByPhone(NSString(body)), "7");
    EXPECT_EQ(onlyExchange().message.substr(onlyExchange().message.find("<BODY>")), body);
    EXPECT_EQ(onlyExchange().sender, "13800138000");

    service.fault("UDPassword", Fault::NoBody);
    EXPECT_TRUE(WebService::editPassByPhone(NSString(body)).isNil());
    service.fault("UDPassword", Fault::Http500);
    EXPECT_TRUE(WebService::editPass("x").isNil());
    EXPECT_FALSE(logged("reset-pw"));
}

}  // namespace
