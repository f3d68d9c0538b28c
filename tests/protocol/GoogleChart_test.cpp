#include "protocol/GoogleChart.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<ChartInfo> slice(const char* colour, const char* value)
{
    auto s = std::make_shared<ChartInfo>();
    s->chco = colour;
    s->chd = value;
    return s;
}

std::map<std::string, std::string> valuesOf(const NXFormDataRequest& r)
{
    std::map<std::string, std::string> out;
    for (const auto& v : r.postData()) out[v.key.str()] = v.value.isNil() ? "<nil>" : v.value.str();
    return out;
}

}  // namespace

TEST(GoogleChart, PieRequestPostsTheSlicesInOrder)
{
    GoogleChart chart;
    chart.size = "300x200";
    chart.type = "p3";
    chart.labelColorAndSize = "000000,12";
    auto r = chart.chart2DPie({slice("FF0000", "30"), slice("00FF00", "70")});
    EXPECT_EQ(r->requestMethod(), "POST");
    EXPECT_EQ(r->url()->scheme(), "https");
    EXPECT_EQ(r->url()->path(), "/chart");
    EXPECT_FALSE(r->inProgress());
    std::vector<std::string> keys;
    for (const auto& v : r->postData()) keys.push_back(v.key.str());
    EXPECT_EQ(keys, (std::vector<std::string>{"chco", "chd", "chs", "cht", "chts"}));
    auto values = valuesOf(*r);
    EXPECT_EQ(values["chco"], "FF0000,00FF00");
    EXPECT_EQ(values["chd"], "t:30,70");
    EXPECT_EQ(values["chs"], "300x200");
    EXPECT_EQ(values["cht"], "p3");
    EXPECT_EQ(values["chts"], "000000,12");
}

TEST(GoogleChart, NoSlicesGiveEmptyTexts)
{
    auto values = valuesOf(*GoogleChart().chart2DPie({}));
    EXPECT_EQ(values["chco"], "");
    EXPECT_EQ(values["chd"], "t:");
}
