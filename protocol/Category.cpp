#include "protocol/Category.h"

#include "protocol/CatalogueRequest.h"
#include "protocol/Constant.h"
#include "protocol/XMLEscape.h"

std::shared_ptr<CategoryVO> Category::RQUrlType(int) const
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userName(), "RQUrlRuleSelf",
                               XMLFormat("<BODY><UserID>%@</UserID><UrlType>ALL</UrlType></BODY></MSG>", bid), {bid}),
        &ParseXML::parseRQUrlType);
}

std::shared_ptr<CategoryVO> Category::RQGameType(int page) const
{
    NSString bid = CatalogueRequest::deviceId();
    return ParseXML::init()->parseRQGameType(CatalogueRequest::send(
        Constant::userName(), "RQGameRuleSelf",
        XMLFormat("<BODY><BID>%@</BID><GameType>ALL</GameType><PageIndex>%@</PageIndex><PageSize>20</PageSize></BODY></MSG>",
                  bid, NSString::stringWithFormat("%d", page)),
        {bid}));
}

std::shared_ptr<MessageInfo> Category::ADUrlType(const NSString& body) const
{
    return CatalogueRequest::parsed(CatalogueRequest::send(Constant::userName(), "ADUrlRuleSelf", body),
                                    &ParseXML::parseADUrlLimit);
}

std::shared_ptr<MessageInfo> Category::ADGameType(const NSString& body) const
{
    return ParseXML::init()->parseADUrlLimit(CatalogueRequest::send(Constant::userName(), "ADGameRuleSelf", body));
}
