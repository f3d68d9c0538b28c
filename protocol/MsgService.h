#pragma once
// The message endpoint: one enciphered inner message out, one inner reply back.

#include "platform/foundation/NSString.h"

class MsgService : public NSObject {
public:
    // The password of the security header of every message exchange.
    static constexpr const char* kHeaderPassword = "482915";

    // Enciphers the inner message, posts it in the SendMessage envelope under
    // the stored user ID and returns the deciphered inner reply. Blocks the
    // calling thread for the whole exchange (despite the name, it runs on the
    // caller's thread). nil when the exchange failed: no connection, time-out,
    // an HTTP error, a response without SendMessageResult, or a result that
    // does not decipher to UTF-8 text.
    static NSString sendRequestOnMainThread(const NSString& msg);
    // The same exchange, with `logText` in the "sendMsg" log line in place of
    // the message: for a message enciphered by its sender, whose content the
    // log masking cannot see.
    static NSString sendRequestOnMainThread(const NSString& msg, const NSString& logText);

    // The SendMessage envelope for the user ID and the enciphered message.
    static NSString envelope(const NSString& userID, const NSString& cipherMessage);
};
