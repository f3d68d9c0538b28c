#include "phone/MapController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "mapsdk/VIZGeometry.h"
#include "mapsdk/VIZPinAnnotationView.h"
#include "mapsdk/VIZUserLocation.h"
#include "phone/PhoneParts.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Constant.h"

NX_REGISTER_CLASS(MapController, [] { return UIViewController::init<MapController>(); });
NX_REGISTER_CLASS(PCMapController, [] { return UIViewController::init<PCMapController>(); });

namespace {

// The press gate opens again this long after an operation ends.
constexpr NSTimeInterval kGateClosed = 2.0;
// A message shown on its own stays this long.
constexpr NSTimeInterval kMessageShown = 2.0;
// The pushed screen shows a mode command's outcome this long after the reply,
// and hides it this long after the reply.
constexpr NSTimeInterval kOutcomeShownAfter = 2.0, kOutcomeHiddenAfter = 4.0;
constexpr double kSpan = 0.01;  // degrees of the regions the screen centres
// Room around a day's places: a pin stands this high over its place, the
// time list takes the left side and the option bar the bottom (the places
// stay centred, so the sides match).
constexpr UIEdgeInsets kPlacesPadding{48, 74, 48, 74};

std::shared_ptr<UIButton> mapButton(CGRect frame, const id& target, SEL action)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->titleLabel()->font = UIFont::boldSystemFontOfSize(13);
    if (auto art = UIImage::imageNamed("mapctrl_button"))
        button->setBackgroundImage(art->stretchableImageWithLeftCapWidth(8, 0), UIControlStateNormal);
    button->addTarget(target, std::move(action), UIControlEventTouchUpInside);
    return button;
}

// The interface files of both variants, for a view of the given height: the
// map under everything; the location panel dropping from the top right (own
// position, device position, positioning mode, the day picker); the option
// panel rising from the bottom edge (map type, time list, places) beside its
// button, so that shut it lies wholly below the view; the time list panel on
// the left with its close button, ending above the option button.
std::vector<id> buildInterface(NSObject* owner, CGFloat height)
{
    auto* screen = dynamic_cast<MapController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, height));
    view->setBackgroundColor(UIColor::blackColor());
    screen->_mapView = VIZMapView::initWithFrame(CGRectMake(0, 0, 320, height));
    view->addSubview(screen->_mapView);

    screen->_verPanelLoc = VerticalPopupPanel::initWithCoder(CGRectMake(196, 0, 120, 148));
    screen->btnMyLoc = mapButton(CGRectMake(4, 4, 112, 32), self, NX_SEL(MapController, iLocationClicked));
    screen->btnDesLoc = mapButton(CGRectMake(4, 40, 112, 32), self, NX_SEL(MapController, desLocationClicked));
    screen->btnDeviceMode = mapButton(CGRectMake(4, 76, 112, 32), self, NX_SEL(MapController, closeClicked));
    screen->btnDeviceMode->setTag(MapController::kModeButtonTag);
    screen->btnDeshistory = mapButton(CGRectMake(4, 112, 112, 32), self, NX_SEL(MapController, historyClicked));
    for (const auto& b : {screen->btnMyLoc, screen->btnDesLoc, screen->btnDeviceMode, screen->btnDeshistory})
        screen->_verPanelLoc->addSubview(b);

    constexpr CGFloat kBar = 40, kOptions = 36;
    screen->_verPanelOpt = VerticalPopupPanel::initWithCoder(CGRectMake(48, height - kBar, 268, kBar));
    screen->btnMapMode = mapButton(CGRectMake(4, 5, 84, 30), self, NX_SEL(MapController, SatelliteTypeClicked));
    screen->_mapType = screen->btnMapMode;
    screen->btnTimeSearch = mapButton(CGRectMake(92, 5, 84, 30), self, NX_SEL(MapController, timeClicked));
    screen->btnLocSearch = mapButton(CGRectMake(180, 5, 84, 30), self, NX_SEL(MapController, posClicked));
    for (const auto& b : {screen->btnMapMode, screen->btnTimeSearch, screen->btnLocSearch}) screen->_verPanelOpt->addSubview(b);
    auto options = UIButton::buttonWithType(UIButtonTypeCustom);
    options->setFrame(CGRectMake(6, height - kBar, kOptions, kOptions));
    options->setImage(UIImage::imageNamed("mapctrl_options.png"), UIControlStateNormal);
    options->addTarget(self, NX_SEL(MapController, optionClicked), UIControlEventTouchUpInside);

    const CGFloat list = height - kBar - 40;
    screen->_verPanelList = VerticalPopupPanel::initWithCoder(CGRectMake(4, 8, 58, list));
    screen->_scroll = UIView::initWithFrame<UIScrollView>(CGRectMake(0, 0, 58, list - 34));
    screen->_scroll->setBackgroundColor(UIColor::colorWithRed(1, 1, 1, 0.85));
    screen->btnCloseScroll = mapButton(CGRectMake(0, list - 30, 58, 28), self, NX_SEL(MapController, timeListClose));
    screen->_verPanelList->addSubview(screen->_scroll);
    screen->_verPanelList->addSubview(screen->btnCloseScroll);

    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->_verPanelLoc, screen->_verPanelOpt, options,
                                                              screen->_verPanelList})
        view->addSubview(v);
    return {view};
}

// The pushed screen has the height under the navigation bar; the PC tab's
// root also leaves the tab bar its place at the bottom.
const bool kNib = (UINib::registerNib("MapController", [](NSObject* owner) { return buildInterface(owner, 416); }), true);
const bool kPCNib = (UINib::registerNib("PCMapController", [](NSObject* owner) { return buildInterface(owner, 367); }), true);

}  // namespace

MapController::MapController() : MapController(Variant::Pushed) {}

MapController::MapController(Variant variant) : variant_(variant), _search(VIZSearch::init()) {}

template <class Reply>
void MapController::exchange(std::function<Reply()> request, void (MapController::*step)(const Reply&))
{
    std::weak_ptr<MapController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, request = std::move(request), step] {
        Reply reply = request();
        NSThread::performBlockOnMainThread([weak, reply, step] {
            if (auto screen = weak.lock()) ((*screen).*step)(reply);
        }, false);
    });
}

void MapController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    bPress = true;
    _verPanelOpt->setBackgroundColor(UIColor::blackColor());
    _verPanelLoc->setBackgroundColor(UIColor::clearColor());
    _verPanelList->setBackgroundColor(UIColor::clearColor());
    _verPanelLoc->direction(true);

    _search->setDelegate(std::static_pointer_cast<VIZSearchDelegate>(strong()));
    _mapView->setDelegate(std::static_pointer_cast<VIZMapViewDelegate>(strong()));
    if (variant_ == Variant::PCTab) _mapView->setShowsUserLocation(true);

    if (variant_ == Variant::Pushed)
        setTitle(L("mapctrl_relativeloc"));
    else
        navigationItem()->title = L("mapctrl_relativeloc");
    btnCloseScroll->setTitle(L("mapctrl_close"), UIControlStateNormal);
    btnMyLoc->setTitle(L("mapctrl_myloc"), UIControlStateNormal);
    btnDesLoc->setTitle(L("mapctrl_desloc"), UIControlStateNormal);
    btnMapMode->setTitle(L("mapctrl_statmap"), UIControlStateNormal);
    btnDeshistory->setTitle(L("mapctrl_deshis"), UIControlStateNormal);
    btnTimeSearch->setTitle(L("mapctrl_time"), UIControlStateNormal);
    btnLocSearch->setTitle(L("mapctrl_loc"), UIControlStateNormal);

    auto self = std::static_pointer_cast<NSObject>(strong());
    navigationItem()->setRightBarButtonItem(veskBarItem(L("mapctrl_onekey"), self, NX_SEL0(MapController, location)));
    if (variant_ == Variant::Pushed)
        navigationItem()->setLeftBarButtonItem(veskBarItem(L("mapctrl_back"), self, NX_SEL0(MapController, goBack)));

    _disableViewOverlay = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    _disableViewOverlay->setBackgroundColor(UIColor::blackColor());
    _disableViewOverlay->setAlpha(0);
    reload();
}

// ---- Positioning mode

void MapController::reload()
{
    const NSString body = deviceBody("<BODY><BID>%@</BID></BODY></MSG>");
    exchange<std::shared_ptr<MapCmdMessage>>([body] { return body.isNil() ? nullptr : Map::init()->RQCmdLocation(body); },
                                             &MapController::modeQueried);
}

void MapController::modeQueried(const std::shared_ptr<MapCmdMessage>& reply)
{
    if (!reply) return;
    showMode(reply->type().intValue() == 4);
    if (variant_ == Variant::Pushed) desLocationClicked(nullptr);
}

void MapController::showMode(bool on)
{
    _isOpening = on;
    auto* button = dynamic_cast<UIButton*>(view()->viewWithTag(kModeButtonTag));
    if (!button) return;
    button->setTitle(L(on ? "mapctrl_closemode" : "mapctrl_openmode"), UIControlStateNormal);
    button->setTitleColor(on ? UIColor::greenColor() : UIColor::whiteColor(), UIControlStateNormal);
}

void MapController::closeClicked(const id&) { sendCmd(_isOpening ? "5" : "4"); }

void MapController::sendCmd(const NSString& type)
{
    const bool switchOn = type == NSString("4");
    std::weak_ptr<MapController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, type, switchOn] {
        auto reply = Map::init()->AdCmd(type);
        NSThread::performBlockOnMainThread([weak, reply, switchOn] {
            if (auto screen = weak.lock()) screen->modeCommanded(reply, switchOn);
        }, false);
    });
}

void MapController::modeCommanded(const std::shared_ptr<MessageInfo>& reply, bool switchedOn)
{
    const bool ok = commandSucceeded(reply);
    if (ok) showMode(switchedOn);
    const NSString outcome = resultText(ok);
    if (variant_ == Variant::PCTab) {
        addHud(outcome);
        hideHUD();
        return;
    }
    std::weak_ptr<MapController> weak = strong();
    NSTimer::scheduledTimerWithTimeInterval(kOutcomeShownAfter, false, [weak, outcome](NSTimer&) {
        if (auto screen = weak.lock()) screen->addHud(outcome);
    });
    NSTimer::scheduledTimerWithTimeInterval(kOutcomeHiddenAfter, false, [weak](NSTimer&) {
        if (auto screen = weak.lock()) screen->hideHUD();
    });
}

// ---- Device position

void MapController::desLocationClicked(const id&)
{
    const NSString kind = NSUserDefaults::standardUserDefaults()->stringForKey("DeviceType");
    if (kind == NSString("PC")) {
        addHud(L("mapctrl_pccannotgetpos"));
        hideHUDAfter(view(), kMessageShown);
        return;
    }
    if (!_isOpening) {
        addHud(L("mapctrl_willopenmode"));
        hideHUDAfter(view(), kMessageShown);
        sendCmd("4");
        return;
    }
    toWhereDesIs();
}

void MapController::toWhereDesIs()
{
    exchange<std::shared_ptr<HomeInfoReturnMessage>>([] { return HomeInfo::init()->homeInfo(); },
                                                     &MapController::onlineChecked);
}

void MapController::onlineChecked(const std::shared_ptr<HomeInfoReturnMessage>& reply)
{
    // No reply counts as online.
    if (reply && reply->isOnline() == NSString("0")) {
        checkIsOnline();
        return;
    }
    if (!passPressGate()) return;
    const NSString body = deviceBody("<BODY><BID>%@</BID><DataDate>%@</DataDate></BODY></MSG>", Constant::currentTime());
    exchange<std::shared_ptr<MapReturnMessage>>([body] { return body.isNil() ? nullptr : Map::init()->RQLocation(body); },
                                                &MapController::latestPositionCame);
}

void MapController::latestPositionCame(const std::shared_ptr<MapReturnMessage>& reply)
{
    if (reply && reply->list().empty()) {
        flash("mapctrl_nowgetpos");
    } else if (reply) {
        const auto& latest = reply->list().front();
        auto annotation = pin(latest->latitude(), latest->longitude(), latest->address(), L("mapctrl_desloc"), kLatestPinTag);
        _mapView->addAnnotation(annotation);
        showRegionAround(annotation->coordinate());
    }
    checkPressState();
}

void MapController::checkIsOnline()
{
    addHud(L("mapController_offline"));
    hideHUDAfter(view(), kMessageShown);
}

// ---- Own position

void MapController::iLocationClicked(const id&) { toWhereIam(); }

void MapController::toWhereIam()
{
    if (!passPressGate()) return;
    _mapView->setShowsUserLocation(true);
    checkPressState();
}

void MapController::mapView_didUpdateUserLocation(VIZMapView* mapView, VIZUserLocation* userLocation)
{
    NX_LOG("更新坐标");
    if (!userLocation || !userLocation->location()) return;
    const CLLocationCoordinate2D at = userLocation->location()->coordinate();
    showRegionAround(at);
    _search->reverseGeocode(at);
    // One fix per press.
    mapView->setShowsUserLocation(false);
}

void MapController::mapView_didFailToLocateUserWithError(VIZMapView* mapView, const id& error)
{
    NX_LOG("定位错误%@", error ? error->description() : NSString("(null)"));
    mapView->setShowsUserLocation(false);
}

void MapController::onGetAddrResult_errorCode(const std::shared_ptr<VIZAddrInfo>& result, int error)
{
    NX_LOG("添加地名名称标注");
    if (error != 0 || !result) return;
    auto annotation = std::make_shared<MapPointAnnotion>();
    annotation->setCoordinate(result->geoPt);
    annotation->setTitle(result->strAddr);
    annotation->setSubtitle(L("mapctrl_myloc"));
    _mapView->addAnnotation(annotation);
}

// ---- Press gate

bool MapController::passPressGate()
{
    flash("mapctrl_location");
    if (!bPress) return false;
    bPress = false;
    cleanScroll();
    return true;
}

void MapController::checkPressState()
{
    std::weak_ptr<MapController> weak = strong();
    NSTimer::scheduledTimerWithTimeInterval(kGateClosed, false, [weak](NSTimer&) {
        if (auto screen = weak.lock()) screen->checkState();
    });
}

void MapController::checkState() { bPress = true; }

// ---- A chosen day

void MapController::removeAllAnnotations()
{
    _mapView->removeAnnotations(_mapView->annotations());
}

void MapController::historyClicked(const id&)
{
    removeAllAnnotations();
    const auto overlays = _mapView->overlays();
    _mapView->removeOverlays(overlays);
    if (_pickerView) return;
    view()->addSubview(_disableViewOverlay);
    _pickerView = MapDatePickerView::initWithFrame(CGRectMake(15, 40, 290, 260));
    _pickerView->setTag(kPickerTag);
    _pickerView->delegate = std::static_pointer_cast<MapDatePickerViewDelegate>(strong());
    view()->addSubview(_pickerView);
    UIView::beginAnimations("FadeIn", nullptr);
    UIView::setAnimationDuration(0.5);
    _disableViewOverlay->setAlpha(0.6);
    UIView::commitAnimations();
}

void MapController::btnCancelClicked()
{
    if (UIView* picker = view()->viewWithTag(kPickerTag)) picker->removeFromSuperview();
    _pickerView = nullptr;
    _disableViewOverlay->removeFromSuperview();
    cleanScroll();
}

void MapController::btnOkClicked(const NSString& day)
{
    btnCancelClicked();
    requestDesHistory(day);
}

void MapController::requestDesHistory(const NSString& day)
{
    const NSString body = deviceBody("<BODY><BID>%@</BID><DataDate>%@</DataDate></BODY></MSG>", day);
    exchange<std::shared_ptr<MapReturnMessage>>([body] { return body.isNil() ? nullptr : Map::init()->RQLocation(body); },
                                                &MapController::dayCame);
}

void MapController::dayCame(const std::shared_ptr<MapReturnMessage>& reply)
{
    if (!reply) return;
    _desLocationList = reply->list();
    if (_desLocationList->empty()) {
        showHistoryResult();
        return;
    }
    addAnnotation(*_desLocationList);
    addQuickBtns(*_desLocationList);
}

void MapController::showHistoryResult() { flash("mapctrl_nohis"); }

void MapController::addAnnotation(const MapPlaceList& positions)
{
    _timePosDic = groupPositionsByPlace(positions);
    _timeAnnotionDic.emplace();
    int n = 0;
    for (const auto& [key, place] : *_timePosDic) {
        const NSString times = placeTimes(place);
        const auto named = namedPosition(place);
        auto annotation = pin(named->latitude(), named->longitude(), times, named->address(), kPlacePinTag + ++n);
        _mapView->addAnnotation(annotation);
        (*_timeAnnotionDic)[times] = annotation;
    }
    showPlaces();
}

void MapController::showPlaces()
{
    const auto& pins = _mapView->annotations();
    if (pins.empty()) return;
    VIZMapPoint first = CoordinateToMapPoint(pins.front()->coordinate());
    VIZMapRect around = VIZMapRectMake(first.x, first.y, 0, 0);
    for (const auto& p : pins) around = MapRectIncludingPoint(around, CoordinateToMapPoint(p->coordinate()));
    if (around.size.width <= 0 && around.size.height <= 0) {
        showRegionAround(pins.front()->coordinate());
        return;
    }
    _mapView->setVisibleMapRect(around, kPlacesPadding, false);
}

void MapController::addQuickBtns(const MapPlaceList& positions)
{
    auto self = std::static_pointer_cast<NSObject>(strong());
    CGFloat y = 0;
    for (const auto& p : positions) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(2, y, 54, 27));
        button->setTitle(hourMinuteOf(p->updateTime()), UIControlStateNormal);
        button->titleLabel()->font = UIFont::systemFontOfSize(14);
        button->setBackgroundColor(UIColor::clearColor());
        button->setTitleColor(UIColor::redColor(), UIControlStateNormal);
        button->addTarget(self, NX_SEL(MapController, selectTimeShow), UIControlEventTouchUpInside);
        _scroll->addSubview(button);
        auto line = UILabel::initWithFrame(CGRectMake(2, y + kTimeRowHeight, 54, 1));
        line->setBackgroundColor(UIColor::grayColor());
        _scroll->addSubview(line);
        y += kTimeRowHeight;
    }
    _scroll->setContentSize(CGSizeMake(54, kTimeRowHeight * static_cast<CGFloat>(positions.size())));
}

void MapController::selectTimeShow(const id& sender)
{
    auto* button = dynamic_cast<UIButton*>(sender.get());
    if (!button) return;
    const NSString time = button->titleForState(UIControlStateNormal);
    colourPlaces([&](const NSString& key) { return key.rangeOfString(time).location != NSNotFound; });
}

void MapController::showSelectPos(const NSString& times)
{
    colourPlaces([&](const NSString& key) { return key == times; });
}

void MapController::colourPlaces(const std::function<bool(const NSString& key)>& chosen)
{
    if (!_timeAnnotionDic) return;
    for (const auto& [key, annotation] : *_timeAnnotionDic) {
        auto* pinView = dynamic_cast<VIZPinAnnotationView*>(_mapView->viewForAnnotation(annotation).get());
        if (!pinView) continue;
        const bool match = chosen(key);
        pinView->setPinColor(match ? VIZPinAnnotationColorRed : VIZPinAnnotationColorGreen);
        if (match) showRegionAround(annotation->coordinate());
    }
    _mapView->setNeedsDisplay();
}

void MapController::timeClicked(const id&)
{
    if (!_timePosDic || _timePosDic->empty()) {
        flash("mapctrl_searchhisfirst");
        return;
    }
    timeListShow();
}

void MapController::posClicked(const id&)
{
    if (!_timePosDic || _timePosDic->empty()) {
        flash("mapctrl_searchhisfirst");
        return;
    }
    std::vector<std::shared_ptr<MapPointAnnotion>> pins;
    for (const auto& [key, annotation] : *_timeAnnotionDic) {
        annotation->setDescription(key);
        pins.push_back(annotation);
    }
    auto list = PosSelectViewController::initWithArray(std::move(pins));
    list->delegate = std::static_pointer_cast<PosSelectViewControllerDelegate>(strong());
    if (auto* nav = navigationController()) nav->presentModalViewController(list, true);
}

void MapController::cleanScroll()
{
    if (_verPanelList->isPopup()) _verPanelList->hide();
    removeAllAnnotations();
    _desLocationList.reset();
    _timePosDic.reset();
    _timeAnnotionDic.reset();
    const auto rows = _scroll->subviews();
    for (const auto& v : rows) v->removeFromSuperview();
}

// ---- Map type and panels

void MapController::SatelliteTypeClicked(const id&)
{
    const bool toSatellite = _mapType->titleForState(UIControlStateNormal) == L("mapctrl_statmap");
    _mapView->setMapType(toSatellite ? 4 : 1);
    _mapType->setTitle(L(toSatellite ? "mapctrl_planemap" : "mapctrl_statmap"), UIControlStateNormal);
}

namespace {

void toggle(VerticalPopupPanel& panel)
{
    if (panel.isPopup())
        panel.hide();
    else
        panel.popup();
}

}  // namespace

void MapController::optionClicked(const id&) { toggle(*_verPanelOpt); }

void MapController::location() { toggle(*_verPanelLoc); }

void MapController::timeListShow() { toggle(*_verPanelList); }

void MapController::timeListClose(const id&) { _verPanelList->hide(); }

// Pushed, the map was opened with the custom tab bar hidden; the PC tab set's
// map is a tab of its own and leaves the bar alone.
void MapController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    if (variant_ == Variant::Pushed) bringTabBarBackWhenLeft(this);
}

void MapController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

// ---- Pins

std::shared_ptr<MapPointAnnotion> MapController::pin(const NSString& latitude, const NSString& longitude,
                                                     const NSString& title, const NSString& subtitle, int tag) const
{
    auto annotation = std::make_shared<MapPointAnnotion>();
    annotation->setCoordinate(CLLocationCoordinate2DMake(latitude.doubleValue(), longitude.doubleValue()));
    annotation->setTitle(title);
    annotation->setSubtitle(subtitle);
    annotation->setTag(tag);
    return annotation;
}

std::shared_ptr<VIZAnnotationView> MapController::mapView_viewForAnnotation(VIZMapView* mapView,
                                                                           const std::shared_ptr<VIZAnnotation>& annotation)
{
    NX_LOG("生成标注");
    if (auto shown = mapView->viewForAnnotation(annotation)) return shown;
    auto point = std::dynamic_pointer_cast<MapPointAnnotion>(annotation);
    if (!point) return nullptr;
    if (reuseIdentifier_.isNil()) reuseIdentifier_ = NSString::stringWithFormat("iAnnotation-%i", point->tag());
    auto pinView = VIZPinAnnotationView::initWithAnnotation(annotation, reuseIdentifier_);
    const NSString subtitle = point->subtitle();
    pinView->setPinColor(subtitle == L("mapctrl_myloc")    ? VIZPinAnnotationColorRed
                         : subtitle == L("mapctrl_desloc") ? VIZPinAnnotationColorPurple
                                                           : VIZPinAnnotationColorGreen);
    pinView->setAnimatesDrop(true);
    pinView->setCenterOffset(CGPointMake(0, -(pinView->frame().size.height * 0.5)));
    pinView->setAnnotation(annotation);
    pinView->setCanShowCallout(true);
    pinView->setTag(point->tag());
    return pinView;
}

void MapController::showRegionAround(const CLLocationCoordinate2D& centre)
{
    VIZCoordinateRegion region;
    region.center = centre;
    region.span = {kSpan, kSpan};
    _mapView->setRegion(region);
}

void MapController::flash(const char* key)
{
    addHud(L(key));
    hideHUD();
}

void MapController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void MapController::hideHUD() { ::hideHUD(view().get()); }

void MapController::mapViewWillStartLocatingUser(VIZMapView*) { NX_LOG("开始定位"); }
void MapController::mapViewDidStopLocatingUser(VIZMapView*) { NX_LOG("定位停止"); }
void MapController::mapView_regionWillChangeAnimated(VIZMapView*, bool) { NX_LOG("地图区域即将改变"); }
void MapController::mapView_regionDidChangeAnimated(VIZMapView*, bool) { NX_LOG("地图区域改变完成"); }
void MapController::mapView_didAddAnnotationViews(VIZMapView*, const std::vector<std::shared_ptr<VIZAnnotationView>>&)
{
    NX_LOG("添加多个标注");
}
void MapController::mapView_didSelectAnnotationView(VIZMapView*, VIZAnnotationView*) { NX_LOG("选中标注"); }
void MapController::mapView_didDeselectAnnotationView(VIZMapView*, VIZAnnotationView*) { NX_LOG("取消选中标注"); }
