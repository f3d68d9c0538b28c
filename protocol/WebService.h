#pragma once
// The authentication endpoint (login) and the two password changes, which
// travel as ordinary messages.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/ParseXML.h"
#include "protocol/Property.h"

// The login reply: elements of the same names directly under the root.
class LoginReturnMessage : public NSObject {
public:
    NSString description() const override;

    NX_PROPERTY(NSString, returnNumber, setReturnNumber);          // RetNo: "0" = accepted
    NX_PROPERTY(NSString, returnMessage, setReturnMessage);        // RetMsg
    NX_PROPERTY(NSString, returnTaocan, setReturnTaocan);          // TaoCan: "A" = full package
    NX_PROPERTY(NSString, returnImgDays, setReturnImgDays);        // ImgDays
    NX_PROPERTY(NSString, returnRecordDays, setReturnRecordDays);  // RecordDays
    NX_PROPERTY(NSString, returnTaoCanDays, setReturnTaoCanDays);  // TaoCanDays
    NX_PROPERTY(NSString, returnServerDate, setReturnServerDate);  // NowDate
    NX_PROPERTY(NSString, returnMobileCount, setReturnMobileCount);  // MobileCount
};

class WebService : public NSObject {
public:
    // The project code sent (enciphered) with every login.
    static constexpr const char* kProjectID = "PLOV";

    // Logs in and answers with the code the login screen acts on:
    //   "0"  accepted, package "A";   "-2" accepted, another package;
    //   "-1" refused (RetNo not "0", or no RetNo) or unreadable (the reply
    //        does not decipher or is no XML);
    //   "-3" no response (no connection, time-out, HTTP error).
    // The package data of the reply is stored in Constant only when the login
    // was accepted; a refused or unreadable login leaves the stored data alone.
    static NSString loginByUserName(const NSString& userName, const NSString& password);

    // Posts a SOAP envelope to the URL with the service's time-out and no
    // kept-alive connection; the response text, or nil on failure.
    static NSString requestSOAP(const NSString& url, const NSString& envelope);

    // The Login envelope over the already enciphered values.
    static NSString loginEnvelope(const NSString& cipherUserName, const NSString& cipherPassword,
                                  const NSString& cipherProjectID);

    // Sends "UDPassword" for the stored login name with the new password; the
    // reply's BODY/Code, or nil when no reply came or it holds no code.
    static NSString editPass(const NSString& newPassword);
    // The same with a body written by the caller ("<BODY>" to "</BODY></MSG>").
    static NSString editPassByPhone(const NSString& body);
};

// ParseXML (Login): the readers of the authentication replies.
// The login reply: the eight elements under the root, read only when RetNo is
// there; a nil or unreadable text gives an empty record.
std::shared_ptr<LoginReturnMessage> parseLogin(const ParseXML& parser, const NSString& reply);
// The text of BODY/Code, or nil when the reply, BODY or Code is missing.
NSString parseEditPassword(const ParseXML& parser, const NSString& reply);
