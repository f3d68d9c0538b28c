#include "protocol/AnalysisReturnMessage.h"

#include "protocol/CountOrder.h"

NSComparisonResult AnalysisMessage::compareNum(const AnalysisMessage& other) const
{
    return compareCounts(num(), other.num());
}
