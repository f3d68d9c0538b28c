#pragma once
// What every request of the catalogue does around its own message: read the
// stored identifiers, write the header, send, judge the exchange, parse, and
// hand results that arrive later to a delegate on the main thread.

#include <initializer_list>
#include <memory>

#include "platform/foundation/NSString.h"
#include "platform/foundation/NSThread.h"
#include "protocol/ParseXML.h"

// A parse method of ParseXML that builds a Record.
template <class Record>
using ParseMethod = std::shared_ptr<Record> (ParseXML::*)(const NSString&) const;

class CatalogueRequest {
public:
    // The supervised device chosen after login (its BID under "DeviceId"); nil
    // while none is chosen.
    static NSString deviceId();

    // Sends the header for the sender and TYPE followed by the body and returns
    // the inner reply, or nil when the exchange failed. A message whose sender,
    // body or one of the further identifiers it was written with is nil (not
    // stored) is not sent at all: it would name "(null)" to the service, so it
    // counts as a failed exchange.
    static NSString send(const NSString& sndr, const NSString& type, const NSString& body,
                         std::initializer_list<NSString> identifiers = {});

    // The parse of a reply, or nil when no reply came.
    template <class Record>
    static std::shared_ptr<Record> parsed(const NSString& reply, ParseMethod<Record> parse)
    {
        if (reply.isNil()) return nullptr;
        return (*ParseXML::init().*parse)(reply);
    }

    // Calls the delegate's method with the value on the main thread. The
    // delegate is held weakly throughout: when it is gone by the time the call
    // runs, the call is skipped.
    template <class Delegate, class Value>
    static void deliverOnMainThread(const std::weak_ptr<Delegate>& delegate, void (Delegate::*method)(Value),
                                    Value value, bool waitUntilDone)
    {
        NSThread::performBlockOnMainThread(
            [delegate, method, value = std::move(value)] {
                if (auto d = delegate.lock()) ((*d).*method)(value);
            },
            waitUntilDone);
    }
};
