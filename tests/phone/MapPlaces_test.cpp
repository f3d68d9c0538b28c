// The location map's grouping of a day's positions by place, its day picker
// and its position list.

#include <gtest/gtest.h>

#include "phone/MapDatePickerView.h"
#include "phone/MapPlaces.h"
#include "phone/PosSelectViewController.h"
#include "platform/foundation/NSClock.h"
#include "tools/service-double/PhoneRecords.h"

namespace {

std::shared_ptr<MapMessage> position(const char* lat, const char* lon, const char* address, const char* time)
{
    auto p = std::make_shared<MapMessage>();
    p->setLatitude(lat);
    p->setLongitude(lon);
    if (address) p->setAddress(address);
    p->setUpdateTime(time);
    return p;
}

MapPlaceList demoDay()
{
    MapPlaceList day;
    for (const auto& p : servicedouble::PhoneRecords::demoDay("2026-12-10"))
        day.push_back(position(p.latitude.c_str(), p.longitude.c_str(), p.address.c_str(), p.updateTime.c_str()));
    return day;
}

TEST(MapPlaces, DemoDayGroupsIntoSixPlacesKeyedByFirstIndexInTextOrder)
{
    const MapPlaceList day = demoDay();
    ASSERT_EQ(day.size(), 10u);
    const MapPlaces places = groupPositionsByPlace(day);
    struct Expected {
        const char* key;
        const char* times;
        const char* address;
    } const expected[] = {
        {"0", " 21:00 19:30 07:20", "Dongsi, Dongcheng District, Beijing"},
        {"2", " 18:10", "Ditan Park, Dongcheng District, Beijing"},
        {"3", " 17:20", "无"},
        {"4", " 16:40 08:05", "Andingmen Inner Street, Dongcheng District, Beijing"},
        {"5", " 12:00 10:00", "Andingmen Inner Street, Dongcheng District, Beijing"},
        {"8", " 07:40", "Beixinqiao, Dongcheng District, Beijing"},
    };
    ASSERT_EQ(places.size(), std::size(expected));
    auto place = places.begin();
    for (const Expected& e : expected) {
        EXPECT_EQ(place->first, NSString(e.key));
        EXPECT_EQ(placeTimes(place->second), NSString(e.times)) << e.key;
        EXPECT_EQ(namedPosition(place->second)->address(), NSString(e.address)) << e.key;
        ++place;
    }
    // The texts are rewritten in the records to four decimals.
    EXPECT_EQ(day[3]->latitude(), NSString("39.9374"));
    EXPECT_EQ(day[3]->longitude(), NSString("116.4070"));
}

TEST(MapPlaces, KeysOrderAsTextsAndSinglePositionsKeepTheirTexts)
{
    // Twelve places: "10" and "11" sort before "2".
    MapPlaceList day;
    for (int i = 0; i < 12; ++i)
        day.push_back(position(std::to_string(39.9 + i * 0.01).c_str(), "116.4", "", "2026-12-10 08:00:00"));
    std::vector<NSString> keys;
    for (const auto& [key, place] : groupPositionsByPlace(day)) keys.push_back(key);
    ASSERT_EQ(keys.size(), 12u);
    EXPECT_EQ(keys[2], NSString("10"));
    EXPECT_EQ(keys[4], NSString("2"));

    MapPlaceList one{position("39.928934", "116.416812", "Dongsi", "2026-12-10 21:00:00")};
    EXPECT_EQ(groupPositionsByPlace(one).size(), 1u);
    EXPECT_EQ(one[0]->latitude(), NSString("39.928934"));
}

TEST(MapPlaces, SubtitleIsTheLastRealAddressElseTheFirstPosition)
{
    struct Case {
        std::vector<const char*> addresses;  // nullptr: no address
        size_t named;
    } const cases[] = {
        {{"A", "B", "无"}, 1},
        {{"", nullptr, "无"}, 0},
        {{"无", "C"}, 1},
    };
    for (const Case& c : cases) {
        MapPlaceList place;
        for (const char* a : c.addresses) place.push_back(position("39.9", "116.4", a, "2026-12-10 08:15:00"));
        EXPECT_EQ(namedPosition(place), place[c.named]);
    }
    MapPlaceList place{position("39.9", "116.4", "", "2026-12-10 08:15:00"), position("39.9", "116.4", "", "bad")};
    EXPECT_EQ(placeTimes(place), NSString(" 08:15 (null)"));
}

class MapDatePickerTest : public ::testing::Test, public MapDatePickerViewDelegate {
protected:
    void SetUp() override
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        NSClock::useVirtualClock(1356998400 - 3600);  // 2012-12-31 23:00 UTC
    }
    void TearDown() override { NSClock::useRealClock(); }
    void btnOkClicked(const NSString& day) override { days.push_back(day); }
    void btnCancelClicked() override { days.push_back("cancel"); }

    std::vector<NSString> days;
};

TEST_F(MapDatePickerTest, DayTextFollowsThePickerAndOkHandsItOver)
{
    auto self = std::shared_ptr<MapDatePickerTest>(this, [](MapDatePickerTest*) {});
    auto panel = MapDatePickerView::initWithFrame(CGRectMake(15, 40, 290, 260));
    panel->delegate = self;
    EXPECT_EQ(panel->lblSelectDate->text(), NSString("2012-12-31"));
    panel->btnOkClicked();  // never moved: today
    auto* picker = static_cast<UIDatePicker*>(panel->viewWithTag(MapDatePickerView::kDatePickerTag));
    picker->pick(1356998400 + 3600);  // 2013-01-01 01:00
    EXPECT_EQ(panel->lblSelectDate->text(), NSString("2013-01-01"));
    panel->btnOkClicked();
    panel->btnCancelClicked();
    EXPECT_EQ(days, (std::vector<NSString>{"2012-12-31", "2013-01-01", "cancel"}));
}

}  // namespace
