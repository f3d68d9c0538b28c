#pragma once
// The header of an inner message: the prolog, the opening MSG and the whole HEAD.
// The body written after it closes MSG.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

class Head : public NSObject {
public:
    static std::shared_ptr<Head> initWithSndr(NSString sndr, NSString rcvr, NSString seqn, NSString dttm,
                                              NSString type);

    NSString toString() const;

    NX_PROPERTY(NSString, sndr, setSndr);
    NX_PROPERTY(NSString, rcvr, setRcvr);
    NX_PROPERTY(NSString, seqn, setSeqn);
    NX_PROPERTY(NSString, dttm, setDttm);
    NX_PROPERTY(NSString, type, setType);
};
