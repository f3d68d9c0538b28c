#include "protocol/ParseXML.h"

bool ParseXML::withBody(const NSString& reply, const std::function<void(const _XMLTreeElement* body)>& read)
{
    if (reply.isNil()) return false;
    auto tree = XMLTree::initWithXMLString(reply);
    const _XMLTreeElement* body = XMLTree::childElementNamed("BODY", tree->rootXMLElement());
    if (!body) return false;
    read(body);
    return true;
}

std::shared_ptr<MessageInfo> ParseXML::parsecutQuick(const NSString& reply) const
{
    auto info = std::make_shared<MessageInfo>();
    withBody(reply, [&](const _XMLTreeElement* body) {
        readFields(body, *info, {{"Desc", &MessageInfo::setDesc}, {"Code", &MessageInfo::setCode}});
    });
    return info;
}

NSString ParseXML::parseKeepAlive(const NSString& reply) const
{
    NSString desc;
    withBody(reply, [&](const _XMLTreeElement* body) {
        if (const _XMLTreeElement* e = XMLTree::childElementNamed("Desc", body)) desc = XMLTree::textForElement(e);
    });
    return desc.isNil() ? NSString("null") : desc;
}
