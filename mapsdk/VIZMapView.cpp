#include "mapsdk/VIZMapView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "engine/base/VGlobalMan.h"
#include "engine/root/EngineRoot.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "engine/model/Projection.h"
#include "mapsdk/EngineMsgDispatcher.h"
#include "mapsdk/VIZUserLocation.h"
#include "mapsdk/VIZMapViewInternal.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"

using namespace mapengine;

namespace {

CMapControl* mapControl()
{
    CEngineRoot* root = GetGlobalMan() ? GetEngineRoot() : nullptr;
    return root ? root->m_pMapControl : nullptr;
}

void postRepaint()
{
    if (CEngineRoot* root = GetGlobalMan() ? GetEngineRoot() : nullptr) root->m_msgMan.PostMessage(2, kMsgRepaint, 0, 0);
}

// The map views alive: a view going away shrinks the shared engine window
// only when no other one is on screen.
std::set<VIZMapView*>& liveViews()
{
    static std::set<VIZMapView*> views;
    return views;
}

// The engine point under a point of the view (in points).
_VPoint engineMapPoint(CGPoint p)
{
    const _VPoint px = ScalePointToPixels(SaturateToInt(p.x), SaturateToInt(p.y));
    return ScreenToMap(GetMapViewState(), px.x, px.y);
}

CGPoint viewPoint(const _VPoint& screen)
{
    const _VPoint p = ScalePixelsToPoints(screen.x, screen.y);
    return CGPointMake(p.x, p.y);
}

}  // namespace

// ---- Creation -------------------------------------------------------------------

std::shared_ptr<VIZMapView> VIZMapView::make(CGRect frame, bool adjust)
{
    if (!GetGlobalMan()) return nullptr;
    auto view = UIView::initWithFrame<VIZMapView>(frame);
    view->setUserInteractionEnabled(true);
    view->setMultipleTouchEnabled(true);
    view->_internal = VIZMapViewInternal::initSubView(view.get());
    view->_internal->initWindowAndMapControl();
    view->_internal->initLocationControl();
    view->registerNotification();
    liveViews().insert(view.get());
    if (adjust) view->_internal->adjustMapWindowWithFrame(frame);
    return view;
}

std::shared_ptr<VIZMapView> VIZMapView::init() { return make(CGRectZero, false); }

std::shared_ptr<VIZMapView> VIZMapView::initWithFrame(CGRect frame) { return make(frame, true); }

namespace {

const NSString kMapRectKey("MapRect");
const NSString kMapTypeKey("MapType");
const NSString kShowLocationKey("MAP_SHOW_LOCATION");

}  // namespace

std::shared_ptr<VIZMapView> VIZMapView::initWithCoder(const NSCoder& coder)
{
    auto view = make(UIView::frameWithCoder(coder), true);
    if (!view) return nullptr;
    if (coder.containsValueForKey(kMapRectKey)) {
        NSUInteger length = 0;
        const uint8_t* bytes = coder.decodeBytesForKey(kMapRectKey, &length);
        double values[4];
        if (bytes && length == sizeof values) {
            std::memcpy(values, bytes, sizeof values);
            view->setVisibleMapRect(VIZMapRectMake(values[0], values[1], values[2], values[3]));
        }
    }
    if (coder.containsValueForKey(kMapTypeKey)) view->setMapType(static_cast<unsigned>(coder.decodeIntForKey(kMapTypeKey)));
    if (coder.containsValueForKey(kShowLocationKey)) view->setShowsUserLocation(coder.decodeBoolForKey(kShowLocationKey));
    return view;
}

void VIZMapView::encodeWithCoder(NSCoder& coder) const
{
    UIView::encodeWithCoder(coder);
    const VIZMapRect rect = visibleMapRect();
    const double values[4] = {rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
    coder.encodeBytes(values, sizeof values, kMapRectKey);
    coder.encodeInt(static_cast<int>(mapType()), kMapTypeKey);
    coder.encodeBool(showsUserLocation(), kShowLocationKey);
}

VIZMapView::~VIZMapView()
{
    unRegisterNotification();
    liveViews().erase(this);
    if (!_internal) return;
    const bool othersShown =
        std::any_of(liveViews().begin(), liveViews().end(), [](VIZMapView* v) { return v->window() != nullptr; });
    if (!othersShown) _internal->adjustMapWindowWithFrame(CGRectMake(0, 0, 5, 5));
    _internal->m_mapView->removeFromSuperview();
    _internal->m_mapWrapperView->removeFromSuperview();
    _internal->m_scrollView->removeFromSuperview();
    _internal->m_logo->removeFromSuperview();
}

void VIZMapView::setFrame(CGRect frame)
{
    UIView::setFrame(frame);
    if (!_internal) return;
    _internal->layoutForFrame(frame);
    _internal->adjustMapWindowWithFrame(frame);
}

void VIZMapView::willMoveToWindow(UIWindow* newWindow)
{
    UIView::willMoveToWindow(newWindow);
    if (!newWindow) return unRegisterNotification();
    registerNotification();
    if (!_internal) return;
    _internal->adjustMapWindowWithFrame(frame());
    setMapType(mapType());
    setShowsUserLocation(showsUserLocation());
}

std::shared_ptr<VIZMapViewDelegate> VIZMapView::delegate() const { return _internal->mapViewDelegate(); }

void VIZMapView::setDelegate(const std::shared_ptr<VIZMapViewDelegate>& delegate)
{
    _internal->_mapViewDelegate = delegate;
}

// ---- Notifications --------------------------------------------------------------

void VIZMapView::registerNotification()
{
    if (!_internal || _registered) return;
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(this, NX_SEL0(VIZMapView, onNotificationMainMapPaint), kMainMapPaintNotification, nullptr);
    center->addObserver(this, NX_SEL(VIZMapView, onNotificationLocationFail), "NotificationLocationFail", nullptr);
    center->addObserver(this, NX_SEL(VIZMapView, onNotificationLocationDidUpdate), kNotificationLocationDidUpdate,
                        nullptr);
    center->addObserver(this, NX_SEL0(VIZMapView, onNotificationEngineAnimationBegin),
                        kNotificationEngineAnimationBegin, nullptr);
    center->addObserver(this, NX_SEL0(VIZMapView, onNotificationEngineAnimationEnd), kNotificationEngineAnimationEnd,
                        nullptr);
    center->addObserver(this, NX_SEL0(VIZMapView, onNotificationClearPaopao), kNotificationClearPaopao, nullptr);
    center->addObserver(this, NX_SEL(VIZMapView, onNotificationUpdateAnnotationCoordinate),
                        kNotificationUptateAnnotationCoordinate, nullptr);
    center->addObserver(this, NX_SEL(VIZMapView, onNotificationSelectAnnotationView),
                        kNotificationSelectAnnotationView, nullptr);
    _registered = true;
}

void VIZMapView::unRegisterNotification()
{
    if (!_registered) return;
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    _registered = false;
}

void VIZMapView::onNotificationMainMapPaint()
{
    // Never waits for the main thread: an engine thread the main thread
    // waits for may post.
    if (!NSThread::isMainThread()) {
        std::weak_ptr<UIView> weak = self();
        NSThread::performBlockOnMainThread([weak] {
            if (auto view = std::static_pointer_cast<VIZMapView>(weak.lock())) view->updateMap();
        }, false);
        return;
    }
    updateMap();
}

void VIZMapView::onNotificationLocationFail(const id& notification)
{
    auto note = std::static_pointer_cast<NSNotification>(notification);
    auto info = note->userInfo();
    auto it = info.find("error");
    if (auto d = delegate()) d->mapView_didFailToLocateUserWithError(this, it == info.end() ? nullptr : it->second);
}

void VIZMapView::onNotificationLocationDidUpdate(const id& notification)
{
    auto note = std::static_pointer_cast<NSNotification>(notification);
    auto d = delegate();
    if (d && note->object() && note->object() == _internal->_userLocation) {
        d->mapView_didUpdateUserLocation(this, _internal->_userLocation.get());
    }
}

void VIZMapView::onNotificationEngineAnimationBegin() { _internal->forbiddenUserInputForMap(); }

void VIZMapView::onNotificationEngineAnimationEnd()
{
    _internal->restoreUserInputForMap();
    regionDidChange(true);
}

void VIZMapView::onNotificationClearPaopao() { _internal->clearPaopao(); }

namespace {

std::shared_ptr<VIZAnnotationView> viewOf(const id& notification)
{
    auto info = std::static_pointer_cast<NSNotification>(notification)->userInfo();
    auto it = info.find("view");
    return it == info.end() ? nullptr : std::dynamic_pointer_cast<VIZAnnotationView>(it->second);
}

}  // namespace

void VIZMapView::onNotificationUpdateAnnotationCoordinate(const id& notification)
{
    if (auto view = viewOf(notification)) _internal->updateAnnotationCoordinate(view.get());
}

void VIZMapView::onNotificationSelectAnnotationView(const id& notification)
{
    // Only a view of this map.
    auto view = viewOf(notification);
    auto annotation = view ? view->annotation() : nullptr;
    if (annotation && _internal->viewForAnnotation(annotation.get()) == view)
        _internal->selectAnnotationView(view.get(), true, true);
}

// ---- Paint ----------------------------------------------------------------------

void VIZMapView::updateMap()
{
    if (!_internal || !GetGlobalMan()) return;
    UIScrollView* sv = _internal->m_scrollView.get();
    if (sv->zooming() || sv->dragging() || sv->decelerating()) return;
    _internal->checkOverlayViews();
    _internal->checkAnnotationViews();
    _internal->showScreenBitmap();
}

void VIZMapView::setNeedsDisplay()
{
    UIView::setNeedsDisplay();
    // A redraw asked for by a screen (a pin recoloured, say) lays the views
    // out again at once: a pin whose image changed sits at its place.
    if (GetGlobalMan() && GetGlobalMan()->GetSlot(kSlotWnd)) updateMap();
}

// ---- Camera ---------------------------------------------------------------------

void VIZMapView::regionWillChange(bool animated)
{
    if (auto d = delegate()) d->mapView_regionWillChangeAnimated(this, animated);
}

void VIZMapView::regionDidChange(bool animated)
{
    if (auto d = delegate()) d->mapView_regionDidChangeAnimated(this, animated);
}

unsigned VIZMapView::mapType() const { return _internal->m_MapType; }

void VIZMapView::setMapType(unsigned type)
{
    unsigned& stored = _internal->m_MapType;
    CMapControl* control = mapControl();
    switch (type) {
    case VIZMapTypeStandard:
        stored = type;
        MapShowLayer(control, 1, 1);
        break;
    case VIZMapTypeTrafficOn:
        stored |= VIZMapTypeTrafficOn;
        MapShowLayer(control, 3, 1);
        break;
    case VIZMapTypeSatellite:
        stored = type;
        MapShowLayer(control, 2, 1);
        break;
    default:
        stored &= ~static_cast<unsigned>(VIZMapTypeTrafficOn);
        MapShowLayer(control, 3, 0);
        break;
    }
    postRepaint();
}

VIZMapRect VIZMapView::visibleMapRect() const { return EngineRectToMapRect(GetMapViewState().rcVisible); }

void VIZMapView::setVisibleMapRect(const VIZMapRect& rect)
{
    if (!MapRectIsFinite(rect)) return;
    regionWillChange(false);
    _internal->setVisibleMapRect(rect, false);
    regionDidChange(false);
}

void VIZMapView::setVisibleMapRect(const VIZMapRect& rect, bool animated)
{
    if (!MapRectIsFinite(rect)) return;
    if (!animated) regionWillChange(false);
    _internal->setVisibleMapRect(rect, animated);
    if (!animated) regionDidChange(false);
}

void VIZMapView::setVisibleMapRect(const VIZMapRect& rect, const UIEdgeInsets& padding, bool animated)
{
    setVisibleMapRect(mapRectThatFits(rect, padding), animated);
}

VIZMapRect VIZMapView::mapRectThatFits(const VIZMapRect& rect) const { return mapRectThatFits(rect, UIEdgeInsets()); }

VIZMapRect VIZMapView::mapRectThatFits(const VIZMapRect& rect, const UIEdgeInsets& padding) const
{
    const _VRect r = MapRectToEngineRect(rect);
    if (r.right < r.left || r.top < r.bottom) return rect;
    const CGSize size = bounds().size;
    const long long availableW = static_cast<long long>(size.width - padding.left - padding.right);
    const long long availableH = static_cast<long long>(size.height - padding.top - padding.bottom);
    auto halvings = [](long long extent, long long available) {
        int count = 0;
        if (available < 0) return count;
        for (; extent > available; extent >>= 1) ++count;
        return count;
    };
    const int count = std::max(halvings(static_cast<long long>(r.right) - r.left, availableW),
                               halvings(static_cast<long long>(r.top) - r.bottom, availableH));
    // Computed wide and kept within the world, so no padding overflows.
    const VIZMapSize& world = WorldMapSize();
    const double factor = std::ldexp(1.0, count);
    const long long halfW = static_cast<long long>(std::min(size.width * factor, world.width)) / 2;
    const long long halfH = static_cast<long long>(std::min(size.height * factor, world.height)) / 2;
    const long long cx = (static_cast<long long>(r.left) + r.right) / 2;
    const long long cy = (static_cast<long long>(r.top) + r.bottom) / 2;
    _VRect fitted;
    fitted.SetRect(SaturateToInt(cx - halfW), SaturateToInt(cy + halfH), SaturateToInt(cx + halfW),
                   SaturateToInt(cy - halfH));
    return EngineRectToMapRect(fitted);
}

namespace {

VIZMapRect centredMapRect(const VIZCoordinateRegion& region)
{
    const VIZMapRect rect = RegionToMapRect(region);
    const VIZMapPoint centre = CoordinateToMapPoint(region.center);
    return MapRectOffset(rect, centre.x - (rect.origin.x + rect.size.width / 2),
                         centre.y - (rect.origin.y + rect.size.height / 2));
}

}  // namespace

void VIZMapView::setRegion(const VIZCoordinateRegion& region) { setVisibleMapRect(centredMapRect(region)); }

void VIZMapView::setRegion(const VIZCoordinateRegion& region, bool animated)
{
    setVisibleMapRect(centredMapRect(region), animated);
}

VIZCoordinateRegion VIZMapView::regionThatFits(const VIZCoordinateRegion& region) const
{
    VIZCoordinateRegion fitted = MapRectToRegionByCorners(mapRectThatFits(RegionToMapRect(region)));
    fitted.center = region.center;
    return fitted;
}

VIZCoordinateRegion VIZMapView::region() const { return MapRectToRegion(visibleMapRect()); }

CLLocationCoordinate2D VIZMapView::centerCoordinate() const
{
    const _VPoint c = MapGetCenter(mapControl());
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, {static_cast<double>(c.x), static_cast<double>(c.y)});
    return {lonLat.y, lonLat.x};
}

void VIZMapView::setCenterCoordinate(const CLLocationCoordinate2D& coordinate)
{
    regionWillChange(false);
    _internal->setCenterCoordinate(coordinate, false);
    regionDidChange(false);
}

void VIZMapView::setCenterCoordinate(const CLLocationCoordinate2D& coordinate, bool animated)
{
    regionWillChange(animated);
    _internal->setCenterCoordinate(coordinate, animated);
    if (!animated) regionDidChange(false);
}

int VIZMapView::zoomLevel() const { return MapGetZoomLevel(mapControl()); }

void VIZMapView::setZoomLevel(int level) { MapSetZoomLevel(mapControl(), std::clamp(level, 3, 18), 0, 1); }

bool VIZMapView::zoomIn() { return _internal->zoomIn(); }

bool VIZMapView::zoomOut() { return _internal->zoomOut(); }

bool VIZMapView::isZoomEnabled() const { return _internal && _internal->m_ZoomEnabled; }

void VIZMapView::setZoomEnabled(bool enabled)
{
    if (!_internal) return;
    _internal->m_ZoomEnabled = enabled;
    _internal->m_scrollView->minimumZoomScale = 1;
    _internal->m_scrollView->maximumZoomScale = 1;
}

bool VIZMapView::isScrollEnabled() const { return _internal && _internal->m_ScrollEnabled; }

void VIZMapView::setScrollEnabled(bool enabled)
{
    if (!_internal) return;
    _internal->m_ScrollEnabled = enabled;
    _internal->m_scrollView->scrollEnabled = enabled;
}

bool VIZMapView::showsUserLocation() const { return _internal->_showsUserLocation; }

void VIZMapView::setShowsUserLocation(bool shows) { _internal->setShowsUserLocation(shows); }

std::shared_ptr<VIZUserLocation> VIZMapView::userLocation() const { return _internal->_userLocation; }

bool VIZMapView::isUserLocationVisible() const
{
    const auto& user = _internal->_userLocation;
    if (!_internal->_showsUserLocation || !user || user->updating() || !user->location()) return false;
    return MapRectContainsPoint(visibleMapRect(), CoordinateToMapPoint(user->location()->coordinate()));
}

// ---- Conversions ----------------------------------------------------------------

CLLocationCoordinate2D VIZMapView::convertPoint_toCoordinateFromView(CGPoint point, UIView* view) const
{
    const _VPoint map = engineMapPoint(convertPointFromView(point, view));
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, {static_cast<double>(map.x), static_cast<double>(map.y)});
    return {lonLat.y, lonLat.x};
}

CGPoint VIZMapView::convertCoordinate_toPointToView(const CLLocationCoordinate2D& coordinate, UIView* view) const
{
    _VDPoint map;
    LonLatToMapUnits(&map, {coordinate.longitude, coordinate.latitude});
    return convertPoint(viewPoint(MapToScreenD(GetMapViewState(), map.x, map.y)), view);
}

VIZMapRect VIZMapView::convertRect_toMapRectFromView(CGRect rect, UIView* view) const
{
    const CGRect r = convertRectFromView(rect, view);
    const _VPoint topLeft = engineMapPoint(r.origin);
    const _VPoint bottomRight = engineMapPoint(CGPointMake(r.origin.x + r.size.width, r.origin.y + r.size.height));
    _VRect engine;
    engine.SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    return EngineRectToMapRect(engine);
}

VIZCoordinateRegion VIZMapView::convertRect_toRegionFromView(CGRect rect, UIView* view) const
{
    return MapRectToRegionByCorners(convertRect_toMapRectFromView(rect, view));
}

CGRect VIZMapView::convertMapRect_toRectToView(const VIZMapRect& rect, UIView* view) const
{
    VIZMapRect sized = rect;
    const bool noWidth = rect.size.width == 0, noHeight = rect.size.height == 0;
    if (noWidth) sized.size.width = 1;
    if (noHeight) sized.size.height = 1;
    const _VRect r = MapRectToEngineRect(sized);
    const CGPoint a = viewPoint(MapToScreen(GetMapViewState(), r.left, r.top));
    const CGPoint b = viewPoint(MapToScreen(GetMapViewState(), r.right, r.bottom));
    CGRect out = convertRect(CGRectMake(a.x, a.y, b.x - a.x, b.y - a.y), view);
    if (noWidth) out.size.width = 0;
    if (noHeight) out.size.height = 0;
    return out;
}

CGRect VIZMapView::convertRegion_toRectToView(const VIZCoordinateRegion& region, UIView* view) const
{
    return convertMapRect_toRectToView(RegionToMapRect(region), view);
}

// ---- Annotations and overlays ---------------------------------------------------

const std::vector<std::shared_ptr<VIZAnnotation>>& VIZMapView::annotations() const { return _internal->_annotations; }
void VIZMapView::addAnnotation(const std::shared_ptr<VIZAnnotation>& a) { _internal->addAnnotation(a); }
void VIZMapView::addAnnotations(const std::vector<std::shared_ptr<VIZAnnotation>>& a) { _internal->addAnnotations(a); }
void VIZMapView::removeAnnotation(const std::shared_ptr<VIZAnnotation>& a) { _internal->removeAnnotation(a); }

// By value: callers may hand over the map's own list, which shrinks while
// its items are removed.
void VIZMapView::removeAnnotations(std::vector<std::shared_ptr<VIZAnnotation>> annotations)
{
    for (const auto& a : annotations) _internal->removeAnnotation(a);
}

std::shared_ptr<VIZAnnotationView> VIZMapView::viewForAnnotation(const std::shared_ptr<VIZAnnotation>& a) const
{
    return a ? _internal->viewForAnnotation(a.get()) : nullptr;
}

std::shared_ptr<VIZAnnotationView> VIZMapView::dequeueReusableAnnotationViewWithIdentifier(const NSString& identifier)
{
    return _internal->dequeueReusableAnnotationViewWithIdentifier(identifier);
}

void VIZMapView::selectAnnotation(const std::shared_ptr<VIZAnnotation>& a, bool) { _internal->selectAnnotation(a); }
void VIZMapView::deselectAnnotation(const std::shared_ptr<VIZAnnotation>& a, bool) { _internal->deselectAnnotation(a); }

const std::vector<std::shared_ptr<VIZOverlay>>& VIZMapView::overlays() const { return _internal->_overlays; }
void VIZMapView::addOverlay(const std::shared_ptr<VIZOverlay>& o) { _internal->addOverlay(o); }
void VIZMapView::addOverlays(const std::vector<std::shared_ptr<VIZOverlay>>& o) { _internal->addOverlays(o); }
void VIZMapView::removeOverlay(const std::shared_ptr<VIZOverlay>& o) { _internal->removeOverlay(o); }

// By value, as removeAnnotations.
void VIZMapView::removeOverlays(std::vector<std::shared_ptr<VIZOverlay>> overlays)
{
    for (const auto& o : overlays) _internal->removeOverlay(o);
}

void VIZMapView::insertOverlay_atIndex(const std::shared_ptr<VIZOverlay>& o, size_t index)
{
    _internal->insertOverlay(o, index);
}

void VIZMapView::exchangeOverlayAtIndex_withOverlayAtIndex(size_t first, size_t second)
{
    _internal->exchangeOverlays(first, second);
}

void VIZMapView::insertOverlay_aboveOverlay(const std::shared_ptr<VIZOverlay>& o, const std::shared_ptr<VIZOverlay>& s)
{
    _internal->insertOverlayNextTo(o, s, true);
}

void VIZMapView::insertOverlay_belowOverlay(const std::shared_ptr<VIZOverlay>& o, const std::shared_ptr<VIZOverlay>& s)
{
    _internal->insertOverlayNextTo(o, s, false);
}

std::shared_ptr<VIZOverlayView> VIZMapView::viewForOverlay(const std::shared_ptr<VIZOverlay>& o) const
{
    return o ? _internal->viewForOverlay(o.get()) : nullptr;
}
