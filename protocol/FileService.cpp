#include "protocol/FileService.h"

#include "protocol/Constant.h"
#include "protocol/ServiceConfig.h"
#include "protocol/ServiceSOAP.h"
#include "protocol/XMLEscape.h"

NSString FileService::envelope(const NSString& userID, const NSString& password, const NSString& time,
                               const NSString& fileData)
{
    // The inner message is carried as markup, its own prolog included.
    NSString inner = XMLFormat(
        "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>%@</SNDR><RCVR>SYS</RCVR><SEQN>1</SEQN>"
        "<DTTM>%@</DTTM><TYPE>FileUpLoad</TYPE></HEAD><BODY><FileName></FileName><FileLength>%@</FileLength>"
        "<FileOffset>%@</FileOffset><FileData>%@</FileData><BkpGoOn>%@</BkpGoOn></BODY></MSG>",
        userID, time, NSString("204800"), NSString("0"), fileData, NSString("0"));
    return ServiceSOAP::envelopeHead().stringByAppendingString(XMLFormat(
        "<UserName>%@</UserName><PassWord>%@</PassWord></SecureSoapHeader></soap12:Header>"
        "<soap12:Body><UploadFile xmlns='%@'><msg>",
        userID, password, ServiceConfig::serviceNamespace())).stringByAppendingString(inner)
        .stringByAppendingString("</msg></UploadFile></soap12:Body></soap12:Envelope>");
}

bool FileService::fileUpload(const NSString& fileData)
{
    auto request = ServiceSOAP::requestWithEnvelope(
        ServiceConfig::fileEndpoint(),
        envelope(Constant::userID(), Constant::password(), Constant::currentTime(), fileData));
    request->startSynchronous();
    return false;
}
