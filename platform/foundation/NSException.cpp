#include "platform/foundation/NSException.h"

const NSString NSRangeException = "NSRangeException";
const NSString NSInvalidArgumentException = "NSInvalidArgumentException";
const NSString NSInternalInconsistencyException = "NSInternalInconsistencyException";
const NSString NSGenericException = "NSGenericException";
const NSString NSLocalizedDescriptionKey = "NSLocalizedDescription";
const NSString NSUnderlyingErrorKey = "NSUnderlyingError";

NSString NSError::localizedDescription() const
{
    auto it = userInfo_.find(NSLocalizedDescriptionKey);
    if (it != userInfo_.end()) return it->second;
    return NSString::stringWithFormat("The operation couldn't be completed. (%@ error %ld.)", domain_, code_);
}

NSString NSError::description() const
{
    return NSString::stringWithFormat("Error Domain=%@ Code=%ld \"%@\"", domain_, code_, localizedDescription());
}
