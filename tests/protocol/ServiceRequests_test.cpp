// Keep-alive, validate-code and file upload over loopback HTTP against the
// service double, and the service configuration.

#include <stdlib.h>

#include "platform/foundation/NSUserDefaults.h"
#include "protocol/FileService.h"
#include "protocol/KeepAlive.h"
#include "protocol/ServiceConfig.h"
#include "protocol/ValidateCode.h"
#include "tests/protocol/ServiceFixture.h"
#include "tools/testserver/TestServer.h"

using servicedouble::Fault;

namespace {

class ServiceRequestsTest : public ServiceFixture {};

TEST_F(ServiceRequestsTest, KeepAliveAnswersDescOrNull)
{
    service.reply("keepAlive", "<Code>0</Code><Desc>online</Desc>");
    EXPECT_EQ(KeepAlive::keepAlive(), "online");
    auto e = onlyExchange();
    EXPECT_EQ(e.sender, "13800138000");
    EXPECT_NE(e.message.find("</HEAD><BODY><UserID>13800138000</UserID></BODY></MSG>"), std::string::npos);

    service.reply("keepAlive", "<Code>0</Code>");
    EXPECT_EQ(KeepAlive::keepAlive(), "null");

    // The network down: "null", and the missing reply is logged.
    clearLog();
    pointAt(testserver::Server::refusedPort());
    EXPECT_EQ(KeepAlive::keepAlive(), "null");
    EXPECT_TRUE(logged("KeepAlive::keepAlive [Line"));
    EXPECT_TRUE(logged("(null)"));
}

TEST_F(ServiceRequestsTest, ValidateCodeSendsFromThePhoneNumber)
{
    service.reply("RQValidateCode", "<Code>0</Code><Desc>sent</Desc>");
    const std::string body = "<BODY><Phone>13900139000</Phone><ValidateCode>123456</ValidateCode><Type>1</Type></BODY></MSG>";
    auto info = ValidateCode::init()->RQValidateCode(NSString(body), "13900139000");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->code(), "0");
    EXPECT_EQ(info->desc(), "sent");
    auto e = onlyExchange();
    EXPECT_EQ(e.type, "RQValidateCode");
    EXPECT_EQ(e.sender, "13900139000");
    EXPECT_EQ(e.message.substr(e.message.find("<BODY>")), body);
    EXPECT_EQ(e.headerUserName, "1001");

    service.fault("RQValidateCode", Fault::NoBody);
    info = ValidateCode::init()->RQValidateCode(NSString(body), "13900139000");
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->code().isNil());

    service.fault("RQValidateCode", Fault::Http500);
    EXPECT_FALSE(ValidateCode::init()->RQValidateCode(NSString(body), "13900139000"));
}

TEST_F(ServiceRequestsTest, FileUploadCarriesThePlainInnerMessage)
{
    EXPECT_FALSE(FileService::fileUpload("QUJD"));
    auto e = onlyExchange();
    EXPECT_EQ(e.endpoint, "FileService");
    EXPECT_EQ(e.request.path, "/ZAZORE2.2/FileService.asmx");
    EXPECT_EQ(e.type, "FileUpLoad");
    EXPECT_EQ(e.headerUserName, "1001");
    EXPECT_EQ(e.headerPassword, "parent-secret");
    const std::string& body = e.request.body;
    size_t dttm = body.find("<DTTM>") + 6;
    std::string time = body.substr(dttm, 19);
    std::string expected =
        "<?xml version='1.0' encoding='utf-8'?>"
        "<soap12:Envelope xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
        "xmlns:xsd='http://www.w3.org/2001/XMLSchema' xmlns:soap12='http://www.w3.org/2003/05/soap-envelope'>"
        "<soap12:Header><SecureSoapHeader xmlns='http://tempuri.org/'><UserName>1001</UserName>"
        "<PassWord>parent-secret</PassWord></SecureSoapHeader></soap12:Header><soap12:Body>"
        "<UploadFile xmlns='http://tempuri.org/'><msg><?xml version='1.0' encoding='utf-8' ?><MSG><HEAD>"
        "<SNDR>1001</SNDR><RCVR>SYS</RCVR><SEQN>1</SEQN><DTTM>" + time + "</DTTM><TYPE>FileUpLoad</TYPE></HEAD>"
        "<BODY><FileName></FileName><FileLength>204800</FileLength><FileOffset>0</FileOffset>"
        "<FileData>QUJD</FileData><BkpGoOn>0</BkpGoOn></BODY></MSG></msg></UploadFile></soap12:Body></soap12:Envelope>";
    EXPECT_EQ(body, expected);
    EXPECT_EQ(e.request.headers.get("Content-Type"), "text/xml; charset=utf-8");

    // With nothing listening it still just answers NO.
    pointAt(testserver::Server::refusedPort());
    EXPECT_FALSE(FileService::fileUpload("QUJD"));
}

class ServiceConfigTest : public ServiceFixture {};

TEST_F(ServiceConfigTest, EnvironmentBeatsUserDefaultsBeatsBuiltIn)
{
    ::unsetenv("NX_SERVICE_PORT");
    EXPECT_EQ(ServiceConfig::host(), "127.0.0.1");
    EXPECT_EQ(ServiceConfig::port(), 80);
    EXPECT_EQ(ServiceConfig::serviceNamespace(), "http://tempuri.org/");
    EXPECT_EQ(ServiceConfig::timeOutSeconds(), 30.0);
    EXPECT_EQ(ServiceConfig::messageEndpoint(), "http://127.0.0.1:80/ZAZORE2.2/MsgService.asmx");
    EXPECT_EQ(ServiceConfig::authEndpoint(), "http://127.0.0.1:80/ZazoRE2.2/AuthService.asmx");
    EXPECT_EQ(ServiceConfig::fileEndpoint(), "http://127.0.0.1:80/ZAZORE2.2/FileService.asmx");

    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(PlistValue(NSString("localhost")), "ServiceHost");
    defaults->setInteger(8080, "ServicePort");
    defaults->setObject(PlistValue(NSString("urn:family")), "ServiceNamespace");
    defaults->setDouble(12.5, "ServiceTimeOut");
    EXPECT_EQ(ServiceConfig::URLWithPath("/x"), "http://localhost:8080/x");
    EXPECT_EQ(ServiceConfig::serviceNamespace(), "urn:family");
    EXPECT_EQ(ServiceConfig::timeOutSeconds(), 12.5);

    ::setenv("NX_SERVICE_HOST", "127.0.0.2", 1);
    ::setenv("NX_SERVICE_PORT", "9090", 1);
    ::setenv("NX_SERVICE_NAMESPACE", "urn:env", 1);
    ::setenv("NX_SERVICE_TIMEOUT", "3", 1);
    EXPECT_EQ(ServiceConfig::URLWithPath("/x"), "http://127.0.0.2:9090/x");
    EXPECT_EQ(ServiceConfig::serviceNamespace(), "urn:env");
    EXPECT_EQ(ServiceConfig::timeOutSeconds(), 3.0);

    // Values that are no port or time-out fall back to the built-in ones.
    ::setenv("NX_SERVICE_PORT", "70000", 1);
    ::setenv("NX_SERVICE_TIMEOUT", "-1", 1);
    defaults->removeObjectForKey("ServicePort");
    defaults->removeObjectForKey("ServiceTimeOut");
    EXPECT_EQ(ServiceConfig::port(), 80);
    EXPECT_EQ(ServiceConfig::timeOutSeconds(), 30.0);
    for (const char* v : {"NX_SERVICE_HOST", "NX_SERVICE_NAMESPACE", "NX_SERVICE_TIMEOUT"}) ::unsetenv(v);
}

TEST_F(ServiceConfigTest, TheNamespaceReachesBothEnvelopesAndTheDoubleEchoesIt)
{
    ::setenv("NX_SERVICE_NAMESPACE", "urn:family", 1);
    service.reply("keepAlive", "<Desc>online</Desc>");
    EXPECT_EQ(KeepAlive::keepAlive(), "online");
    auto e = onlyExchange();
    EXPECT_NE(e.request.body.find("<SecureSoapHeader xmlns='urn:family'>"), std::string::npos);
    EXPECT_NE(e.request.body.find("<SendMessage xmlns='urn:family'>"), std::string::npos);
    ::unsetenv("NX_SERVICE_NAMESPACE");
}

}  // namespace
