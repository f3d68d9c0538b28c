#pragma once
// The location map: the supervised device's latest position (purple pin),
// the parent's own position reverse-geocoded to an address (red pin), the
// device's positions on a chosen day grouped by place (green pins) with a
// time list and a list of places, the device's positioning mode and the map
// type. MapController is pushed on a navigation stack; PCMapController is
// the root of the PC tab set's map tab.
//
// Every exchange runs on a worker of its own holding the screen weakly; its
// reply, and every change of the screen's state, is handled on the main
// thread.

#include <map>
#include <optional>

#include "mapsdk/VIZMapView.h"
#include "mapsdk/VIZSearch.h"
#include "phone/MapDatePickerView.h"
#include "phone/MapPlaces.h"
#include "phone/PosSelectViewController.h"
#include "platform/uikit/UIScrollView.h"
#include "protocol/HomeInfo.h"
#include "protocol/Map.h"
#include "ui/VerticalPopupPanel.h"

class MapController : public UIViewController,
                      public VIZMapViewDelegate,
                      public VIZSearchDelegate,
                      public MapDatePickerViewDelegate,
                      public PosSelectViewControllerDelegate {
public:
    static constexpr NSInteger kPickerTag = 77001, kModeButtonTag = 77002;
    static constexpr int kLatestPinTag = 78001, kPlacePinTag = 78002;  // the n-th place: kPlacePinTag + n
    // The time list's rows.
    static constexpr CGFloat kTimeRowHeight = 29;

    MapController();

    // Outlets of the interface file.
    std::shared_ptr<UIButton> btnCloseScroll, btnMyLoc, btnDesLoc, btnMapMode, btnDeviceMode, btnDeshistory,
        btnTimeSearch, btnLocSearch;
    std::shared_ptr<VIZMapView> _mapView;
    std::shared_ptr<VerticalPopupPanel> _verPanelOpt, _verPanelLoc, _verPanelList;
    std::shared_ptr<UIScrollView> _scroll;
    std::shared_ptr<UIButton> _mapType;  // the map-type button (btnMapMode)

    // The state the screen shows, read by tests.
    bool isOpening() const { return _isOpening; }
    MapDatePickerView* pickerView() const { return _pickerView.get(); }
    UIView* disableViewOverlay() const { return _disableViewOverlay.get(); }
    VIZSearch* search() const { return _search.get(); }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;

    // Actions.
    void iLocationClicked(const id& sender);
    void desLocationClicked(const id& sender);
    void closeClicked(const id& sender);
    void SatelliteTypeClicked(const id& sender);
    void historyClicked(const id& sender);
    void timeClicked(const id& sender);
    void posClicked(const id& sender);
    void optionClicked(const id& sender);
    void timeListShow();
    void timeListClose(const id& sender);
    void location();
    void goBack();

    // Exchanges, each started on a worker.
    void reload();
    void toWhereDesIs();
    void sendCmd(const NSString& type);
    void requestDesHistory(const NSString& day);

    // Main-thread steps.
    void toWhereIam();
    void addAnnotation(const MapPlaceList& positions);
    void addQuickBtns(const MapPlaceList& positions);
    void showHistoryResult();
    void selectTimeShow(const id& sender);
    void cleanScroll();
    void checkIsOnline();
    // Both position buttons say they locate; while the gate is closed that is
    // all, otherwise the gate closes and the screen is cleared for the answer.
    bool passPressGate();
    void checkPressState();
    void checkState();
    void addHud(const NSString& text);
    void hideHUD();

    // MapDatePickerViewDelegate, PosSelectViewControllerDelegate.
    void btnOkClicked(const NSString& day) override;
    void btnCancelClicked() override;
    void showSelectPos(const NSString& times) override;

    // VIZMapViewDelegate.
    std::shared_ptr<VIZAnnotationView> mapView_viewForAnnotation(VIZMapView* mapView,
                                                                const std::shared_ptr<VIZAnnotation>& annotation) override;
    void mapView_didUpdateUserLocation(VIZMapView* mapView, VIZUserLocation* userLocation) override;
    void mapView_didFailToLocateUserWithError(VIZMapView* mapView, const id& error) override;
    void mapViewWillStartLocatingUser(VIZMapView* mapView) override;
    void mapViewDidStopLocatingUser(VIZMapView* mapView) override;
    void mapView_regionWillChangeAnimated(VIZMapView* mapView, bool animated) override;
    void mapView_regionDidChangeAnimated(VIZMapView* mapView, bool animated) override;
    void mapView_didAddAnnotationViews(VIZMapView* mapView,
                                       const std::vector<std::shared_ptr<VIZAnnotationView>>& views) override;
    void mapView_didSelectAnnotationView(VIZMapView* mapView, VIZAnnotationView* view) override;
    void mapView_didDeselectAnnotationView(VIZMapView* mapView, VIZAnnotationView* view) override;

    // VIZSearchDelegate.
    void onGetAddrResult_errorCode(const std::shared_ptr<VIZAddrInfo>& result, int error) override;

protected:
    // How the PC tab set's variant differs.
    enum class Variant { Pushed, PCTab };
    explicit MapController(Variant variant);

private:
    std::shared_ptr<MapController> strong() { return std::static_pointer_cast<MapController>(shared_from_this()); }
    // Runs the request on a worker and hands its reply to the step on the main
    // thread while the screen lives.
    template <class Reply>
    void exchange(std::function<Reply()> request, void (MapController::*step)(const Reply&));
    void modeQueried(const std::shared_ptr<MapCmdMessage>& reply);
    void modeCommanded(const std::shared_ptr<MessageInfo>& reply, bool switchedOn);
    void onlineChecked(const std::shared_ptr<HomeInfoReturnMessage>& reply);
    void latestPositionCame(const std::shared_ptr<MapReturnMessage>& reply);
    void dayCame(const std::shared_ptr<MapReturnMessage>& reply);
    void showMode(bool on);
    void removeAllAnnotations();
    void flash(const char* key);
    void showRegionAround(const CLLocationCoordinate2D& centre);
    // The map brought round the pins of a day's places, all in sight.
    void showPlaces();
    // Colours the day's pins: red where the key matches, green elsewhere;
    // centres on the last match.
    void colourPlaces(const std::function<bool(const NSString& key)>& chosen);
    std::shared_ptr<MapPointAnnotion> pin(const NSString& latitude, const NSString& longitude, const NSString& title,
                                          const NSString& subtitle, int tag) const;

    const Variant variant_;
    std::shared_ptr<MapDatePickerView> _pickerView;
    std::shared_ptr<UIView> _disableViewOverlay;
    bool _isOpening = false;
    std::optional<MapPlaceList> _desLocationList;
    std::optional<MapPlaces> _timePosDic;
    std::optional<std::map<NSString, std::shared_ptr<MapPointAnnotion>>> _timeAnnotionDic;
    std::shared_ptr<VIZSearch> _search;
    bool bPress = true;
    NSString reuseIdentifier_;  // made for the first pin view, kept for all
};

class PCMapController : public MapController {
public:
    PCMapController() : MapController(Variant::PCTab) {}
};
