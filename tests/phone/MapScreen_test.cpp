// The location map driven as a parent uses it, against the service double
// (the phone's mode, its latest position and its days) and the map-service
// double (tiles and reverse geocoding), with the own position from scripted
// fixes: the latest position, a chosen day by place and by time, the
// position list, the own position, the satellite map, the messages of an
// offline phone, an empty day and a denied location, the positioning mode,
// and a screen that leaves nothing behind once popped.

#include "app/PCTimeCommon.h"
#include "engine/data/GpsProviders.h"
#include "mapsdk/VIZPinAnnotationView.h"
#include "mapsdk/VIZUserLocation.h"
#include "platform/testing/NXScreenLint.h"
#include "tests/phone/MapFixture.h"

using namespace phonetest;

namespace {

class MapScreenTest : public MapTest {
protected:
    explicit MapScreenTest(bool realTexts = false) : MapTest(realTexts) {}

    std::vector<std::shared_ptr<MapPointAnnotion>> pins(MapController* map) const
    {
        std::vector<std::shared_ptr<MapPointAnnotion>> out;
        for (const auto& a : map->_mapView->annotations())
            if (auto point = std::dynamic_pointer_cast<MapPointAnnotion>(a)) out.push_back(point);
        return out;
    }
    std::shared_ptr<MapPointAnnotion> pinTagged(MapController* map, int tag) const
    {
        for (const auto& p : pins(map))
            if (p->tag() == tag) return p;
        return nullptr;
    }
    VIZPinAnnotationView* pinView(MapController* map, const std::shared_ptr<MapPointAnnotion>& pin) const
    {
        return pin ? dynamic_cast<VIZPinAnnotationView*>(map->_mapView->viewForAnnotation(pin).get()) : nullptr;
    }
    // The colours of the day's places, by times text.
    std::map<NSString, unsigned> placeColours(MapController* map) const
    {
        std::map<NSString, unsigned> out;
        for (const auto& p : pins(map))
            if (auto* v = pinView(map, p); v && p->tag() > MapController::kPlacePinTag) out[p->title()] = v->pinColor();
        return out;
    }
    UIButton* timeButton(MapController* map, const char* time) const
    {
        for (const auto& v : map->_scroll->subviews())
            if (auto* b = dynamic_cast<UIButton*>(v.get()); b && b->titleForState(UIControlStateNormal) == NSString(time))
                return b;
        return nullptr;
    }
    size_t timeButtons(MapController* map) const
    {
        size_t n = 0;
        for (const auto& v : map->_scroll->subviews()) n += dynamic_cast<UIButton*>(v.get()) != nullptr;
        return n;
    }
    void openPanel(MapController* map)
    {
        if (!map->_verPanelLoc->isPopup()) map->location();
        driver.advanceClock(0.5);
    }
    // The platform's location manager running for the engine's positioning.
    void locating()
    {
        EXPECT_TRUE(driver.pumpUntil([] { return IphoneGPSMan::getInstance()->locationManager() != nullptr; }, 10));
    }
    // The reply handed to the main thread, before its message fades.
    void answered()
    {
        NSThread::joinDetachedThreads(10);
        driver.pumpUntil([] { return false; }, 0.05);
    }
    // The day picker from the location panel.
    MapDatePickerView* openPicker(MapController* map)
    {
        openPanel(map);
        EXPECT_TRUE(driver.tap(map->btnDeshistory.get()));
        driver.advanceClock(1);
        return map->pickerView();
    }
    UIButton* pickerButton(MapDatePickerView* picker, const NSString& title) const
    {
        return driver.find<UIButton>([&](UIButton& b) {
            return b.isDescendantOfView(picker) && b.titleForState(UIControlStateNormal) == title;
        });
    }
    // The day chosen in the picker (today when none is given) and its OK.
    void chooseDay(MapController* map, std::optional<NSTimeInterval> day = std::nullopt)
    {
        MapDatePickerView* picker = openPicker(map);
        ASSERT_NE(picker, nullptr);
        if (day) static_cast<UIDatePicker*>(picker->viewWithTag(MapDatePickerView::kDatePickerTag))->pick(*day);
        ASSERT_TRUE(driver.tap(pickerButton(picker, L("mapdatepickerview_ok"))));
        answered();
    }
    // The own position: the button, then a scripted fix and its address.
    std::shared_ptr<MapPointAnnotion> ownPosition(MapController* map)
    {
        openPanel(map);
        EXPECT_TRUE(driver.tap(map->btnMyLoc.get()));
        locating();
        fixes->deliver(CLLocationCoordinate2DMake(39.9087, 116.3975), 65);
        driver.pumpUntil([&] { return pinTagged(map, 0) != nullptr; }, 10);
        return pinTagged(map, 0);
    }
    ::testing::AssertionResult snap(const char* name, snapshot::Tolerance tolerance = {}) const
    {
        return snapshot::viewMatchesExpected(app()->window.get(), std::string("tests/phone/snapshots/") + name,
                                             tolerance);
    }
    // A map centred on the parent's own fix. Every reading of the location
    // (each repaint of the location layer among them) steps the datum
    // offset's jitter of up to a metre, and the engine repaints and polls on
    // its own real-time timers, so the converted fix, and the map with it,
    // may sit up to a pixel off, between pixels at times: each pixel then
    // matches one a pixel away in the expected picture, or a blend of two
    // within half the tiles' edge contrast, and a few corner pixels (0.1%)
    // blend four. A pin or a button missing or recoloured is still a fault;
    // the pin itself is checked by the own-position test.
    static constexpr snapshot::Tolerance kOwnFixJitter{64, 0.001, 1};
};

TEST_F(MapScreenTest, OpensOnTheLatestPositionAsAPurplePin)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->title(), NSString("mapctrl_relativeloc"));
    EXPECT_TRUE(map->isOpening());
    EXPECT_EQ(map->view()->viewWithTag(MapController::kModeButtonTag), map->btnDeviceMode.get());
    EXPECT_EQ(map->btnDeviceMode->titleForState(UIControlStateNormal), NSString("mapctrl_closemode"));
    EXPECT_NE(lastMessage("RQLocation").find("<DataDate>2026-12-10 21:30:10</DataDate>"), std::string::npos);
    auto shown = pins(map);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->tag(), MapController::kLatestPinTag);
    EXPECT_EQ(shown[0]->title(), NSString("Dongsi, Dongcheng District, Beijing"));
    EXPECT_EQ(shown[0]->subtitle(), NSString("mapctrl_desloc"));
    EXPECT_NEAR(shown[0]->coordinate().latitude, 39.928934, 1e-9);
    EXPECT_NEAR(shown[0]->coordinate().longitude, 116.416812, 1e-9);
    ASSERT_NE(pinView(map, shown[0]), nullptr);
    EXPECT_EQ(pinView(map, shown[0])->pinColor(), VIZPinAnnotationColorPurple);
    EXPECT_NEAR(map->_mapView->centerCoordinate().latitude, 39.928934, 1e-3);
    EXPECT_NEAR(map->_mapView->centerCoordinate().longitude, 116.416812, 1e-3);
}

TEST_F(MapScreenTest, ADayGroupsIntoPlacesAndATimeOrAPlaceTurnsItsPinRed)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    driver.advanceClock(2);
    chooseDay(map);
    settleMap();
    EXPECT_NE(lastMessage("RQLocation").find("<DataDate>2026-12-10</DataDate>"), std::string::npos);
    EXPECT_EQ(map->pickerView(), nullptr);
    EXPECT_EQ(map->disableViewOverlay()->superview(), nullptr);
    ASSERT_EQ(pins(map).size(), 6u);
    EXPECT_EQ(pinTagged(map, MapController::kPlacePinTag + 1)->title(), NSString(" 21:00 19:30 07:20"));
    EXPECT_EQ(pinTagged(map, MapController::kPlacePinTag + 3)->subtitle(), NSString("无"));
    for (const auto& [times, colour] : placeColours(map)) EXPECT_EQ(colour, VIZPinAnnotationColorGreen) << times;
    EXPECT_EQ(timeButtons(map), 10u);
    EXPECT_EQ(map->_scroll->contentSize().height, 290);
    // The map comes round the day's places: every one is in sight, clear of
    // the time list's side.
    for (const auto& pin : pins(map)) {
        const CGPoint at = map->_mapView->convertCoordinate_toPointToView(pin->coordinate(), map->_mapView.get());
        EXPECT_GE(at.x, 62 + 11) << pin->title();  // the pin's head too
        EXPECT_LE(at.x, 320 - 62 - 11) << pin->title();
        EXPECT_GE(at.y, 40) << pin->title();
        EXPECT_LE(at.y, 416 - 40) << pin->title();
    }

    map->timeClicked(nullptr);
    driver.advanceClock(0.5);
    EXPECT_TRUE(map->_verPanelList->isPopup());
    ASSERT_TRUE(driver.tap(timeButton(map, "12:00")));
    auto colours = placeColours(map);
    EXPECT_EQ(colours[" 12:00 10:00"], VIZPinAnnotationColorRed);
    EXPECT_EQ(colours[" 16:40 08:05"], VIZPinAnnotationColorGreen);
    EXPECT_NEAR(map->_mapView->centerCoordinate().latitude, 39.9392, 1e-3);
    // Every pin, the recoloured one too, stands on its place.
    for (const auto& pin : pins(map)) {
        VIZPinAnnotationView* view = pinView(map, pin);
        if (!view || !view->superview()) continue;
        const CGRect f = view->superview()->convertRect(view->frame(), map->_mapView.get());
        const CGPoint at = map->_mapView->convertCoordinate_toPointToView(pin->coordinate(), map->_mapView.get());
        EXPECT_NEAR(f.origin.x + f.size.width / 2, at.x, 1) << pin->title();
        EXPECT_NEAR(f.origin.y + f.size.height, at.y, 1) << pin->title();
    }

    // The list of places: one row per place, chosen by equality.
    map->posClicked(nullptr);
    settle();
    auto* list = dynamic_cast<PosSelectViewController*>(map->navigationController()->modalViewController().get());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->_tableData.size(), 6u);
    auto* row = driver.find<UILabel>([](UILabel& l) {
        return l.tag() == PosSelectViewController::kRowLabelTag && l.text() == NSString("无(39.9374,116.4070)");
    });
    EXPECT_NE(row, nullptr);
    NSInteger andingmen = -1;
    for (size_t i = 0; i < list->_tableData.size(); ++i)
        if (list->_tableData[i]->description() == NSString(" 16:40 08:05")) andingmen = static_cast<NSInteger>(i);
    ASSERT_GE(andingmen, 0);
    list->_table->tapRow(NSIndexPath::indexPathForRow(andingmen, 0));
    settle();
    EXPECT_EQ(map->navigationController()->modalViewController(), nullptr);
    colours = placeColours(map);
    EXPECT_EQ(colours[" 16:40 08:05"], VIZPinAnnotationColorRed);
    EXPECT_EQ(colours[" 12:00 10:00"], VIZPinAnnotationColorGreen);

    // The own position starts from a clear map: every place and time goes.
    map->iLocationClicked(nullptr);
    EXPECT_TRUE(pins(map).empty());
    EXPECT_EQ(timeButtons(map), 0u);
    EXPECT_FALSE(map->_verPanelList->isPopup());
}

// The map wants the full height: the list of places over it keeps the custom
// tab bar away, before and after a place is chosen; Back from the map brings
// the bar back on the home page.
TEST_F(MapScreenTest, TheTabBarStaysAwayOverTheMapAndComesBackWithBack)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    EXPECT_FALSE(customTabBarShows());
    driver.advanceClock(2);
    chooseDay(map);
    settleMap();
    map->posClicked(nullptr);
    settle();
    auto* list = dynamic_cast<PosSelectViewController*>(map->navigationController()->modalViewController().get());
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(customTabBarShows());
    list->_table->tapRow(NSIndexPath::indexPathForRow(0, 0));
    settle();
    ASSERT_EQ(map->navigationController()->modalViewController(), nullptr);
    EXPECT_FALSE(customTabBarShows());

    ASSERT_TRUE(driver.tap(map->navigationItem()->leftBarButtonItem->customView.get()));
    settle();
    EXPECT_NE(dynamic_cast<PhoneHomeViewCtrl*>(topScreen()), nullptr);
    EXPECT_TRUE(customTabBarTakesATap());
}

// The day chosen by touching the picker's day wheel is the day asked for.
TEST_F(MapScreenTest, ADayTouchedOnTheWheelIsTheDayAskedFor)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    driver.advanceClock(2);
    MapDatePickerView* picker = openPicker(map);
    ASSERT_NE(picker, nullptr);
    UIPickerView* wheels = static_cast<UIDatePicker*>(picker->viewWithTag(MapDatePickerView::kDatePickerTag))->wheels();
    const CGRect day = wheels->rectForComponent(1);
    // One row above the band: the day before.
    ASSERT_TRUE(driver.tapAt(wheels->convertPoint(
        CGPointMake(CGRectGetMidX(day), CGRectGetMidY(day) - UIPickerView::kRowHeight), nullptr)));
    driver.advanceClock(1);
    ASSERT_TRUE(driver.tap(pickerButton(picker, L("mapdatepickerview_ok"))));
    answered();
    EXPECT_NE(lastMessage("RQLocation").find("<DataDate>2026-12-09</DataDate>"), std::string::npos)
        << lastMessage("RQLocation");
}

TEST_F(MapScreenTest, EmptyDaysOfflinePhonesAndADeniedLocationSayWhy)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    driver.advanceClock(2);
    // The day before has no positions.
    chooseDay(map, kEvening - 86400);
    EXPECT_NE(lastMessage("RQLocation").find("<DataDate>2026-12-09</DataDate>"), std::string::npos);
    EXPECT_TRUE(pins(map).empty());
    EXPECT_TRUE(hudSaying("mapctrl_nohis"));
    map->timeClicked(nullptr);
    EXPECT_TRUE(hudSaying("mapctrl_searchhisfirst"));
    map->posClicked(nullptr);
    EXPECT_EQ(map->navigationController()->modalViewController(), nullptr);

    // A phone without positions yet.
    records.setPositions(kPhone, {});
    settle();
    openPanel(map);
    ASSERT_TRUE(driver.tap(map->btnDesLoc.get()));
    answered();
    answered();
    EXPECT_TRUE(hudSaying("mapctrl_nowgetpos"));
    settle();
    EXPECT_TRUE(pins(map).empty());
    EXPECT_EQ(exchangesOf("RQLocation"), 3u);

    // An offline phone: no position is asked for.
    records.setStatus(kPhone, {"0"});
    driver.advanceClock(2);
    ASSERT_TRUE(driver.tap(map->btnDesLoc.get()));
    answered();
    EXPECT_TRUE(hudSaying("mapController_offline"));
    settle();
    EXPECT_EQ(exchangesOf("RQLocation"), 3u);

    // Positioning denied: no fix, no pin, positioning off again.
    ASSERT_TRUE(driver.tap(map->btnMyLoc.get()));
    EXPECT_TRUE(map->_mapView->showsUserLocation());
    locating();
    fixes->deliverError(kCLErrorDomain, kCLErrorDenied);
    driver.pumpUntil([&] { return !map->_mapView->showsUserLocation(); }, 5);
    EXPECT_FALSE(map->_mapView->showsUserLocation());
    settle();
    EXPECT_TRUE(pins(map).empty());
}

TEST_F(MapScreenTest, OwnPositionIsOneFixTurnedIntoAnAddressOnARedPin)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    driver.advanceClock(2);
    auto own = ownPosition(map);
    ASSERT_NE(own, nullptr);
    EXPECT_FALSE(own->title().isNil());
    EXPECT_NE(own->title(), NSString(""));
    EXPECT_EQ(own->subtitle(), NSString("mapctrl_myloc"));
    EXPECT_EQ(pinView(map, own)->pinColor(), VIZPinAnnotationColorRed);
    EXPECT_FALSE(map->_mapView->showsUserLocation()) << "one fix per press";
    EXPECT_EQ(pinTagged(map, MapController::kLatestPinTag), nullptr) << "the screen was cleared";

    // A second press while the gate is shut starts nothing; once it opens,
    // the press starts again from a clear map.
    map->iLocationClicked(nullptr);
    EXPECT_FALSE(map->_mapView->showsUserLocation());
    EXPECT_EQ(pinTagged(map, 0), own);
    driver.advanceClock(2);
    map->iLocationClicked(nullptr);
    EXPECT_TRUE(map->_mapView->showsUserLocation());
    EXPECT_TRUE(pins(map).empty());
}

TEST_F(MapScreenTest, ThePositioningModeIsSwitchedOnBeforeAPositionIsAsked)
{
    records.setLocationMode(kPhone, false);
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(exchangesOf("RQLocation"), 0u);
    EXPECT_NE(lastMessage("ADCmd").find("<Type>4</Type>"), std::string::npos);
    EXPECT_TRUE(records.locationMode(kPhone));
    EXPECT_TRUE(map->isOpening());
    EXPECT_EQ(map->btnDeviceMode->titleForState(UIControlStateNormal), NSString("mapctrl_closemode"));
    EXPECT_TRUE(map->btnDeviceMode->titleColorForState(UIControlStateNormal)->isEqual(*UIColor::greenColor()));

    // Switched off by its button, and the outcome told two seconds after the reply.
    settle();
    openPanel(map);
    ASSERT_TRUE(driver.tap(map->btnDeviceMode.get()));
    answered();
    EXPECT_FALSE(records.locationMode(kPhone));
    EXPECT_FALSE(map->isOpening());
    EXPECT_EQ(map->btnDeviceMode->titleForState(UIControlStateNormal), NSString("mapctrl_openmode"));
    EXPECT_FALSE(hudSaying("serviceBackMessage_ok"));
    driver.advanceClock(2.1);
    answered();
    EXPECT_TRUE(hudSaying("serviceBackMessage_ok"));
}

TEST_F(MapScreenTest, APoppedScreenGoesAwayWithItsMapAndSearch)
{
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    useMapDoubles();
    for (int visit = 0; visit < 3; ++visit) {
        driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kLocationButtonTag));
        settleMap();
        MapController* map = screen<MapController>();
        ASSERT_NE(map, nullptr);
        std::weak_ptr<NSObject> screenLeft = map->shared_from_this();
        std::weak_ptr<UIView> mapLeft = map->_mapView;
        ASSERT_NE(map->search(), nullptr);
        std::weak_ptr<NSObject> searchLeft = map->search()->shared_from_this();
        map->goBack();
        settle();
        EXPECT_TRUE(screenLeft.expired()) << "visit " << visit;
        EXPECT_TRUE(mapLeft.expired()) << "visit " << visit;
        EXPECT_TRUE(searchLeft.expired()) << "visit " << visit;
    }
}

}  // namespace

class MapScreenPictures : public MapScreenTest {
protected:
    MapScreenPictures() : MapScreenTest(true) {}
};

TEST_F(MapScreenPictures, EveryStepAsTheParentSeesIt)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(snap("map-latest"));
    auto latest = pinTagged(map, MapController::kLatestPinTag);
    ASSERT_TRUE(driver.tap(pinView(map, latest)));
    driver.advanceClock(1);
    EXPECT_NE(pinView(map, latest)->paopaoView(), nullptr);
    EXPECT_TRUE(snap("map-latest-callout"));

    driver.advanceClock(2);
    ASSERT_NE(openPicker(map), nullptr);
    EXPECT_TRUE(snap("map-day-picker"));
    ASSERT_TRUE(driver.tap(pickerButton(map->pickerView(), L("mapdatepickerview_ok"))));
    settleMap();
    map->timeClicked(nullptr);
    driver.advanceClock(0.5);
    EXPECT_TRUE(snap("map-day-places"));
    ASSERT_TRUE(driver.tap(timeButton(map, "12:00")));
    settleMap();
    EXPECT_TRUE(snap("map-time-selected"));

    map->posClicked(nullptr);
    settle();
    EXPECT_TRUE(snap("map-places-list"));
    auto* list = dynamic_cast<PosSelectViewController*>(map->navigationController()->modalViewController().get());
    ASSERT_NE(list, nullptr);
    list->_table->tapRow(NSIndexPath::indexPathForRow(0, 0));
    settle();

    auto own = ownPosition(map);
    ASSERT_NE(own, nullptr);
    settleMap();
    EXPECT_TRUE(snap("map-own-position", kOwnFixJitter));

    map->optionClicked(nullptr);
    driver.advanceClock(0.5);
    const std::vector<uint32_t> standard = shownMap(map->_mapView.get());
    ASSERT_TRUE(driver.tap(map->btnMapMode.get()));
    settleMapChangedFrom(standard, map->_mapView.get());
    EXPECT_EQ(map->_mapView->mapType(), 4u);
    EXPECT_TRUE(snap("map-satellite", kOwnFixJitter));
}

// Both panels open and shut read well (the positioning mode's green title
// among them) and leave nothing half outside the window: the shut option bar
// lies wholly below it.
TEST_F(MapScreenPictures, ThePanelsReadWellOpenAndShut)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(map->isOpening());
    auto findings = [&] {
        std::string out;
        for (const auto& f : NXLintViewTree(driver.window())) out += NXLintDescription(f) + "\n";
        return out;
    };
    EXPECT_EQ(findings(), "");
    openPanel(map);
    map->optionClicked(nullptr);
    driver.advanceClock(0.5);
    ASSERT_TRUE(map->_verPanelOpt->isPopup());
    EXPECT_EQ(findings(), "");
    map->optionClicked(nullptr);
    driver.advanceClock(0.5);
    EXPECT_EQ(findings(), "");
}

TEST_F(MapScreenPictures, TheMessagesOfAnEmptyDayAndAnOfflinePhone)
{
    MapController* map = openMap();
    ASSERT_NE(map, nullptr);
    driver.advanceClock(2);
    chooseDay(map, kEvening - 86400);
    EXPECT_TRUE(snap("map-empty-day"));
    settle();
    records.setStatus(kPhone, {"0"});
    openPanel(map);
    ASSERT_TRUE(driver.tap(map->btnDesLoc.get()));
    answered();
    EXPECT_TRUE(snap("map-offline"));
}

class PCMapTest : public MapScreenTest {
protected:
    // Logs in, chooses the PC and opens its map tab.
    PCMapController* openPCMap()
    {
        launchToLogin();
        if (driver.visibleAlert()) driver.pressAlertButton(1);
        EquipSelectController* chooser = logIn();
        if (!chooser) return nullptr;
        EquipListViewController* list = chooser->gameView();
        for (size_t row = 0; row < list->list().size(); ++row)
            if (list->list()[row]->typeName() == NSString("PC-HOME-01")) {
                // The tap replaces the chooser and its list with the PC's tab set.
                list->tableView()->tapRow(NSIndexPath::indexPathForRow(static_cast<NSInteger>(row), 0));
                break;
            }
        driver.advanceClock(1);
        settle();
        useMapDoubles();
        auto* map = openTab<PCMapController>();
        settleMap();
        return map;
    }
};

// The tab bar keeps the bottom of the window: the option button and the bar
// it opens lie above it, within the parent's reach.
TEST_F(PCMapTest, TheOptionBarOpensAboveTheTabBar)
{
    PCMapController* map = openPCMap();
    ASSERT_NE(map, nullptr);
    UIButton* options = nullptr;
    for (const auto& v : map->view()->subviews())
        if (auto* b = dynamic_cast<UIButton*>(v.get())) options = b;
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(driver.tap(options));
    driver.advanceClock(0.5);
    ASSERT_TRUE(map->_verPanelOpt->isPopup());
    ASSERT_TRUE(driver.tap(map->btnMapMode.get()));
    EXPECT_EQ(map->_mapView->mapType(), 4u);
}

TEST_F(PCMapTest, TheMapTabLocatesTheParentAndHasNoPositionForAPC)
{
    PCMapController* map = openPCMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->navigationItem()->title, NSString("mapctrl_relativeloc"));
    EXPECT_EQ(map->navigationItem()->leftBarButtonItem, nullptr);
    EXPECT_EQ(exchangesOf("RQCmdLocation"), 1u);
    EXPECT_EQ(exchangesOf("RQLocation"), 0u) << "the mode query asks for nothing more";

    // The own position is located at once.
    EXPECT_TRUE(map->_mapView->showsUserLocation());
    locating();
    fixes->deliver(CLLocationCoordinate2DMake(39.9087, 116.3975), 65);
    ASSERT_TRUE(driver.pumpUntil([&] { return pinTagged(map, 0) != nullptr; }, 10));
    EXPECT_EQ(pinTagged(map, 0)->subtitle(), NSString("mapctrl_myloc"));

    settle();
    const size_t statusReads = exchangesOf("RQHomePage");
    openPanel(map);
    ASSERT_TRUE(driver.tap(map->btnDesLoc.get()));
    EXPECT_TRUE(hudSaying("mapctrl_pccannotgetpos"));
    settle();
    EXPECT_EQ(exchangesOf("RQHomePage"), statusReads) << "no online check for a PC";
}
