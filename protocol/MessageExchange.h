#pragma once
// The road every catalogue request takes: the header (sender, "SYS", "1", the
// present time, TYPE) directly followed by the body, sent through the message
// endpoint, and the reply read by one parse method of ParseXML.
//
// No request sends "(null)" in place of an identifier: when the sender, an
// identifier the request writes into its own body, or the body itself is
// absent, nothing is sent and the request answers nil, as for a failed
// exchange.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/ParseXML.h"
#include "protocol/XMLEscape.h"

class MessageExchange {
public:
    // The chosen device's identifier, the user-defaults value "DeviceId"; nil
    // while no device is chosen.
    static NSString deviceId();

    // The inner message: the header text directly followed by the body.
    static NSString message(const NSString& sndr, const NSString& type, const NSString& body);

    // Sends the message and returns the inner reply; nil when the sender or
    // the body is nil (nothing is sent) or the exchange failed.
    static NSString send(const NSString& sndr, const NSString& type, const NSString& body);
    // As send, with the message enciphered here before the transport
    // enciphers it once more. The log shows the plain message with its
    // credentials masked, never the cipher text, which the masking cannot see
    // into and anyone holding the client can read.
    static NSString sendEnciphered(const NSString& sndr, const NSString& type, const NSString& body);

    // A body written by the request itself: the format filled with the values,
    // escaped; nil when any value is nil.
    template <class... Values>
    static NSString body(const char* format, const Values&... values)
    {
        if ((values.isNil() || ...)) return NSString();
        return XMLFormat(format, values...);
    }

    // The reply read by the parse method; nil when there is no reply.
    template <class Record>
    static std::shared_ptr<Record> parsed(const NSString& reply,
                                          std::shared_ptr<Record> (ParseXML::*parse)(const NSString&) const)
    {
        if (reply.isNil()) return nullptr;
        return ((*ParseXML::init()).*parse)(reply);
    }

    // send, then parsed.
    template <class Record>
    static std::shared_ptr<Record> request(const NSString& sndr, const NSString& type, const NSString& body,
                                           std::shared_ptr<Record> (ParseXML::*parse)(const NSString&) const)
    {
        return parsed(send(sndr, type, body), parse);
    }

private:
    // Whether the message can go out; logs why not.
    static bool sendable(const NSString& sndr, const NSString& type, const NSString& body);
};
