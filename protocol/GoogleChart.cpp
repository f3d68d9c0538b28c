#include "protocol/GoogleChart.h"

const NSString GoogleChart::kChartServiceURL = "https://chart.googleapis.com/chart";

std::shared_ptr<NXFormDataRequest> GoogleChart::chart2DPie(const std::vector<std::shared_ptr<ChartInfo>>& items) const
{
    // Each value followed by ",", then the last separator dropped.
    std::string colours, values;
    for (const auto& item : items) {
        colours += NSString::stringWithFormat("%@,", item ? item->chco : NSString()).str();
        values += NSString::stringWithFormat("%@,", item ? item->chd : NSString()).str();
    }
    if (!colours.empty()) colours.pop_back();
    if (!values.empty()) values.pop_back();
    auto request = NXFormDataRequest::requestWithURL(NSURL::URLWithString(kChartServiceURL));
    request->setRequestMethod("POST");
    request->setPostValue(NSString(colours), "chco");
    request->setPostValue(NSString::stringWithFormat("t:%@", NSString(values)), "chd");
    request->setPostValue(size, "chs");
    request->setPostValue(type, "cht");
    request->setPostValue(labelColorAndSize, "chts");
    return request;
}
