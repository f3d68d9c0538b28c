#pragma once
// The pie-chart request: a form post of the slices' colours and values to the
// outside chart service. The caller starts the request and reads the reply.

#include <memory>
#include <vector>

#include "http/NXFormDataRequest.h"

// One slice: its colour, value and label.
class ChartInfo : public NSObject {
public:
    NSString chco;  // colour
    NSString chd;   // value
    NSString chl;   // label
    std::weak_ptr<NSObject> delegate;
};

class GoogleChart : public NSObject {
public:
    // Where the chart service lives; the request posts to its path "/chart".
    static const NSString kChartServiceURL;

    NSString title;
    NSString size;
    NSString labelColorAndSize;
    NSString type;

    // A POST form request, not yet started, with "chco", "chd" ("t:" and the
    // values), "chs", "cht" and "chts".
    std::shared_ptr<NXFormDataRequest> chart2DPie(const std::vector<std::shared_ptr<ChartInfo>>& items) const;
};
