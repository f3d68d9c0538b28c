#include "protocol/Head.h"

#include "protocol/XMLEscape.h"

std::shared_ptr<Head> Head::initWithSndr(NSString sndr, NSString rcvr, NSString seqn, NSString dttm, NSString type)
{
    auto head = std::make_shared<Head>();
    head->setSndr(std::move(sndr));
    head->setRcvr(std::move(rcvr));
    head->setSeqn(std::move(seqn));
    head->setDttm(std::move(dttm));
    head->setType(std::move(type));
    return head;
}

NSString Head::toString() const
{
    return XMLFormat("<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>%@</SNDR><RCVR>%@</RCVR>"
                     "<SEQN>%@</SEQN><DTTM>%@</DTTM><TYPE>%@</TYPE></HEAD>",
                     sndr(), rcvr(), seqn(), dttm(), type());
}
