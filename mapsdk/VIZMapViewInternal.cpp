#include "mapsdk/VIZMapViewInternal.h"

#include <algorithm>
#include <cmath>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/data/AppLocation.h"
#include "engine/root/EngineRoot.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "engine/model/Projection.h"
#include "engine/render/RasterObjects.h"
#include "mapsdk/VIZBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"

using namespace mapengine;

namespace {

CEngineRoot* engineRoot() { return GetGlobalMan() ? GetEngineRoot() : nullptr; }

CMapControl* mapControl()
{
    CEngineRoot* root = engineRoot();
    return root ? root->m_pMapControl : nullptr;
}

CVWnd* engineWindow() { return GetGlobalMan() ? static_cast<CVWnd*>(GetGlobalMan()->GetSlot(kSlotWnd)) : nullptr; }

void postRepaint()
{
    if (CEngineRoot* root = engineRoot()) root->m_msgMan.PostMessage(2, kMsgRepaint, 0, 0);
}

// Farthest origin of the map view from its superview's, in points.
constexpr double kMaxFrameOrigin = 1 << 20;

double clampedPoints(double value, double low, double high) { return std::isnan(value) ? 0 : std::clamp(value, low, high); }

// The frame as the engine can hold it, in whole points: the size within the
// largest window, the origin within kMaxFrameOrigin; not a number counts as 0.
CGRect engineFrame(CGRect frame)
{
    const double largest = std::floor(kMaxWindowPixels / static_cast<double>(ScalePointToPixels(1, 1).x));
    return CGRectMake(std::trunc(clampedPoints(frame.origin.x, -kMaxFrameOrigin, kMaxFrameOrigin)),
                      std::trunc(clampedPoints(frame.origin.y, -kMaxFrameOrigin, kMaxFrameOrigin)),
                      std::trunc(clampedPoints(frame.size.width, 0, largest)),
                      std::trunc(clampedPoints(frame.size.height, 0, largest)));
}

// The frame in engine pixels: origin and size scaled.
_VRect pixelRect(CGRect viewFrame)
{
    const CGRect frame = engineFrame(viewFrame);
    const _VPoint origin = ScalePointToPixels(static_cast<int>(frame.origin.x), static_cast<int>(frame.origin.y));
    const _VSize size = ScaleSizeToPixels(static_cast<int>(frame.size.width), static_cast<int>(frame.size.height));
    _VRect rect;
    rect.SetRect(origin.x, origin.y, origin.x + size.cx, origin.y + size.cy);
    return rect;
}

}  // namespace

// ---- The image view -------------------------------------------------------------

void VurivMapView::setMapImage(const CGImageRef& image)
{
    if (image != m_mapImageRef) m_mapImageRef = image;
    setNeedsDisplay();
}

void VurivMapView::drawRect(CGRect) { drawInContext(UIGraphicsGetCurrentContext()); }

void VurivMapView::drawInContext(CGContextRef context)
{
    if (!context || !m_mapImageRef) return;
    const CGRect b = bounds();
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, b.size.height);
    CGContextScaleCTM(context, 1, -1);
    CGContextDrawImage(context, CGRectMake(0, 0, b.size.width, b.size.height), m_mapImageRef);
    CGContextRestoreGState(context);
}

CGImageRef VIZCreateScreenImage()
{
    CEngineRoot* root = engineRoot();
    tagBitmapObj* bitmap = root ? root->m_screenBitmap.GetHandle() : nullptr;
    if (!bitmap || !bitmap_retain(bitmap)) return nullptr;
    // The image keeps one share of the bitmap: the engine may replace its
    // bitmap while the image is still shown.
    std::shared_ptr<const void> share(bitmap, [](const void* b) { bitmap_free(static_cast<tagBitmapObj*>(const_cast<void*>(b))); });
    return CGImageCreateWithBGRXBuffer(bitmap->pixels, bitmap->width, bitmap->height, bitmap->stride, share);
}

// ---- Set-up ---------------------------------------------------------------------

std::shared_ptr<VIZMapViewInternal> VIZMapViewInternal::initSubView(VIZMapView* mapView)
{
    auto internal = std::make_shared<VIZMapViewInternal>();
    internal->m_VIZMapView = mapView;
    internal->_userLocation = VIZUserLocation::init();
    const CGRect frame = engineFrame(mapView->frame());
    const int w = static_cast<int>(frame.size.width), h = static_cast<int>(frame.size.height);
    NSLog("initSubView %d", w);
    NSLog("initSubView %d", h);

    auto scroll = UIScrollView::initWithFrame(CGRectMake(0, 0, w, h));
    mapView->addSubview(scroll);
    scroll->scrollsToTop = false;
    scroll->setUserInteractionEnabled(true);
    scroll->setMultipleTouchEnabled(true);
    scroll->setDelegate(internal);
    scroll->showsHorizontalScrollIndicator = false;
    scroll->showsVerticalScrollIndicator = false;
    scroll->setClipsToBounds(true);
    scroll->bounces = false;
    scroll->decelerationRate = 0.6 * UIScrollViewDecelerationRateNormal;
    internal->m_scrollView = scroll;

    auto tap = TapDetectingView::initWithFrame(CGRectMake(0, 0, 5 * w, 5 * h));
    scroll->addSubview(tap);
    tap->setUserInteractionEnabled(true);
    tap->setMultipleTouchEnabled(true);
    tap->setDelegate(internal);
    tap->setBackgroundColor(UIColor::colorWithRed(0.82, 0.82, 0.82, 1));
    internal->m_mapWrapperView = tap;

    auto image = UIView::initWithFrame<VurivMapView>(CGRectMake(2 * w, 2 * h, w, h));
    image->setUserInteractionEnabled(false);
    image->setMultipleTouchEnabled(false);
    tap->addSubview(image);
    internal->m_mapView = image;

    auto logo = UIImageView::initWithImage(UIImage::imageWithContentsOfFile(VIZGetBundleImagePath("razizudu_logo")));
    internal->m_logo = logo;
    mapView->addSubview(logo);
    mapView->bringSubviewToFront(logo.get());
    internal->layoutForFrame(frame);
    mapView->setBackgroundColor(UIColor::whiteColor());
    return internal;
}

void VIZMapViewInternal::layoutForFrame(CGRect viewFrame)
{
    const CGRect frame = engineFrame(viewFrame);
    const int w = static_cast<int>(frame.size.width), h = static_cast<int>(frame.size.height);
    m_scrollView->setFrame(CGRectMake(0, 0, w, h));
    m_scrollView->setZoomScale(1);
    m_mapWrapperView->setFrame(CGRectMake(0, 0, 5 * w, 5 * h));
    m_mapView->setFrame(CGRectMake(2 * w, 2 * h, w, h));
    m_scrollView->setContentSize(CGSizeMake(5 * w, 5 * h));
    m_scrollView->setContentOffset(CGPointMake(2 * w, 2 * h));
    m_contentOffset = m_scrollView->contentOffset();
    m_contentSize = m_scrollView->contentSize();
    if (m_logo) {
        const CGSize logo = m_logo->frame().size;
        m_logo->setFrame(CGRectMake(5, h - logo.height - 44, logo.width, logo.height));
    }
}

bool VIZMapViewInternal::initWindowAndMapControl()
{
    CEngineRoot* root = engineRoot();
    if (!root) return false;
    CVWnd* wnd = engineWindow();
    if (!wnd) {
        wnd = VNew<CVWnd>(1);
        if (!wnd) return false;
        wnd->Attach(m_VIZMapView);
        GetGlobalMan()->SetSlot(kSlotWnd, wnd);
    }
    if (!root->m_pMapControl) {
        void* place = CVMem::Allocate(sizeof(CMapControl));
        if (!place) return false;
        root->m_pMapControl = MapCreateControl(place);
        root->m_urlTranslater.SetMapControl(root->m_pMapControl);
        _VRect rect;
        rect.SetRect(0, 0, 5, 5);
        MapInitWindow(root, wnd, kInitialCenterX, kInitialCenterY, rect, kInitialLevel);
    }
    return true;
}

bool VIZMapViewInternal::initLocationControl()
{
    CEngineRoot* root = engineRoot();
    if (!root || root->m_pLocation) return true;
    void* place = CVMem::Allocate(sizeof(CAppLocation));
    if (!place) return false;
    root->m_pLocation = LocCreate(place);
    // The map was made first: its location layer learns of the object now.
    if (root->m_pMapControl) root->m_pMapControl->SetLocSource(root->m_pLocation);
    LocStart(root->m_pLocation);
    LocSetMode(root->m_pLocation, 1);
    return true;
}

bool VIZMapViewInternal::isEngineWindowEqualsFrame(CGRect frame) const
{
    CVWnd* wnd = engineWindow();
    if (!mapControl() || !wnd) return false;
    _VRect client;
    wnd->GetClientRect(&client);
    const _VRect want = pixelRect(frame);
    return client.left == want.left && client.top == want.top && client.right == want.right &&
           client.bottom == want.bottom;
}

bool VIZMapViewInternal::adjustMapWindowWithFrame(CGRect frame)
{
    CMapControl* control = mapControl();
    CVWnd* wnd = engineWindow();
    if (!control || !wnd) return false;
    if (isEngineWindowEqualsFrame(frame)) {
        control->UpdateAllLayers();
        postRepaint();
        return false;
    }
    const _VRect rect = pixelRect(frame);
    _VSize size;
    size.SetSize(rect.right - rect.left, rect.bottom - rect.top);
    wnd->SetWindowPos(rect.left, rect.top, size);
    MapResizeWindow(control, rect.left, rect.top, rect.right, rect.bottom);
    control->UpdateAllLayers();
    return true;
}

// ---- Paint ----------------------------------------------------------------------

void VIZMapViewInternal::updateMap()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(kMainMapPaintNotification, nullptr);
}

void VIZMapViewInternal::showScreenBitmap()
{
    m_mapView->setMapImage(VIZCreateScreenImage());
    restoreScrollViewStatus();
}

bool VIZMapViewInternal::gestureRunning() const
{
    return m_scrollView->zooming() || m_scrollView->dragging() || m_scrollView->decelerating();
}

// ---- Scroll-view state ----------------------------------------------------------

void VIZMapViewInternal::forbiddenScrollViewFunction()
{
    m_scrollView->minimumZoomScale = 1;
    m_scrollView->maximumZoomScale = 1;
    m_scrollView->scrollEnabled = false;
}

void VIZMapViewInternal::restoreScrollViewFunction()
{
    m_scrollView->scrollEnabled = m_ScrollEnabled;
    m_scrollView->setZoomScale(1);
    m_scrollView->minimumZoomScale = m_ZoomEnabled ? 0.001 : 1;
    m_scrollView->maximumZoomScale = m_ZoomEnabled ? 1000.0 : 1;
}

void VIZMapViewInternal::restoreScrollViewStatus()
{
    restoreScrollViewFunction();
    restoreUserInputForMap();
    const int level = MapGetZoomLevel(mapControl());
    if (level == 3) m_scrollView->minimumZoomScale = 1;
    if (level == 18) m_scrollView->maximumZoomScale = 1;
    m_scrollView->setContentOffset(m_contentOffset);
}

void VIZMapViewInternal::forbiddenUserInputForMap()
{
    for (UIView* v : {static_cast<UIView*>(m_mapWrapperView.get()), static_cast<UIView*>(m_scrollView.get())}) {
        v->setUserInteractionEnabled(false);
        v->setMultipleTouchEnabled(false);
    }
}

void VIZMapViewInternal::restoreUserInputForMap()
{
    for (UIView* v : {static_cast<UIView*>(m_mapWrapperView.get()), static_cast<UIView*>(m_scrollView.get())}) {
        v->setUserInteractionEnabled(true);
        v->setMultipleTouchEnabled(true);
    }
}

// ---- Scroll-view delegate -------------------------------------------------------

std::shared_ptr<UIView> VIZMapViewInternal::viewForZoomingInScrollView(UIScrollView*) { return m_mapWrapperView; }

void VIZMapViewInternal::scrollViewWillBeginDragging(UIScrollView* sv)
{
    if (sv->decelerating() || sv->zooming()) return;
    if (auto d = mapViewDelegate()) d->mapView_regionWillChangeAnimated(m_VIZMapView, true);
}

void VIZMapViewInternal::scrollViewWillBeginZooming_withView(UIScrollView* sv, UIView*)
{
    if (sv->decelerating() || sv->dragging()) return;
    if (auto d = mapViewDelegate()) d->mapView_regionWillChangeAnimated(m_VIZMapView, true);
}

void VIZMapViewInternal::scrollViewDidScroll(UIScrollView*)
{
    transformAnnotationViewInScrolling();
    m_mapWrapperView->notifyDrag();
}

void VIZMapViewInternal::scrollViewDidEndDragging_willDecelerate(UIScrollView* sv, bool decelerate)
{
    if (sv->decelerating() || decelerate || sv->zooming()) return;
    handleScrollViewPositionChange();
    if (auto d = mapViewDelegate()) d->mapView_regionDidChangeAnimated(m_VIZMapView, true);
}

void VIZMapViewInternal::scrollViewDidEndDecelerating(UIScrollView* sv)
{
    if (sv->zooming() || sv->dragging()) return;
    handleScrollViewPositionChange();
    if (auto d = mapViewDelegate()) d->mapView_regionDidChangeAnimated(m_VIZMapView, true);
}

void VIZMapViewInternal::scrollViewDidEndScrollingAnimation(UIScrollView* sv)
{
    if (sv->decelerating() || sv->zooming()) return;
    scrollViewDidEndZooming_withView_atScale(sv, m_mapWrapperView.get(), sv->zoomScale());
}

void VIZMapViewInternal::scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView*, CGFloat)
{
    if (sv->decelerating() || sv->dragging()) return;
    if (_animatedMapRect) {
        const VIZMapRect rect = *_animatedMapRect;
        _animatedMapRect.reset();
        setVisibleMapRect(rect, false);
    } else {
        handleScrollViewPositionChange();
    }
    if (auto d = mapViewDelegate()) d->mapView_regionDidChangeAnimated(m_VIZMapView, true);
}

// ---- Taps -----------------------------------------------------------------------

void VIZMapViewInternal::tapDetectingView_gotSingleTapAtPoint(TapDetectingView*, CGPoint point)
{
    // The engine's hit test first: a tap on one of its items (a background
    // place, a route marker) is left to it; elsewhere it records the press
    // and completes it, which leaves the map where it is.
    if (CMapControl* control = mapControl()) {
        const CGPoint at = transformScrollViewPoint2SelfViewPoint(point);
        const int x = SaturateToInt(at.x), y = SaturateToInt(at.y);
        MapTouchDown(control, x, y);
        MapTouchUp(control, x, y);
    }
    clearPaopao();
}

void VIZMapViewInternal::tapDetectingView_gotDoubleTapAtPoint(TapDetectingView*, CGPoint point)
{
    if (MapGetZoomLevel(mapControl()) == 18 || gestureRunning()) return;
    forbiddenUserInputForMap();
    clearPaopao();
    m_scrollView->zoomToRect(zoomRectForScale(m_scrollView->zoomScale() * 2, point), true);
}

void VIZMapViewInternal::tapDetectingView_gotTwoFingerTapAtPoint(TapDetectingView*, CGPoint)
{
    if (MapGetZoomLevel(mapControl()) == 3 || gestureRunning()) return;
    forbiddenUserInputForMap();
    clearPaopao();
    const CGPoint center = CGPointMake(m_contentSize.width / 2, m_contentSize.height / 2);
    m_scrollView->zoomToRect(zoomRectForScale(m_scrollView->zoomScale() / 2, center), true);
}

void VIZMapViewInternal::tapDetectingView_endTouchPoint(TapDetectingView*, CGPoint) { restoreScrollViewStatus(); }

CGRect VIZMapViewInternal::zoomRectForScale(CGFloat scale, CGPoint center) const
{
    const CGSize size = m_scrollView->frame().size;
    const CGFloat w = size.width / scale, h = size.height / scale;
    return CGRectMake(center.x - w / 2, center.y - h / 2, w, h);
}

bool VIZMapViewInternal::zoomIn()
{
    if (!m_mapWrapperView->userInteractionEnabled()) return false;
    tapDetectingView_gotDoubleTapAtPoint(m_mapWrapperView.get(), m_mapWrapperView->center());
    return true;
}

bool VIZMapViewInternal::zoomOut()
{
    if (!m_mapWrapperView->userInteractionEnabled()) return false;
    tapDetectingView_gotTwoFingerTapAtPoint(m_mapWrapperView.get(), m_mapWrapperView->center());
    return true;
}

CGPoint VIZMapViewInternal::transformScreenPoint2ScrollViewPoint(CGPoint p) const
{
    const CGFloat scale = m_scrollView->zoomScale();
    const CGPoint origin = m_mapWrapperView->frame().origin;
    return CGPointMake((p.x + m_contentOffset.x) * scale + origin.x, (p.y + m_contentOffset.y) * scale + origin.y);
}

CGPoint VIZMapViewInternal::transformScrollViewPoint2SelfViewPoint(CGPoint p) const
{
    const CGPoint o = m_scrollView->contentOffset();
    return CGPointMake(p.x - o.x, p.y - o.y);
}

// ---- Camera ---------------------------------------------------------------------

void VIZMapViewInternal::setCenterCoordinate(const CLLocationCoordinate2D& coordinate, bool animated)
{
    _VDPoint map;
    LonLatToMapUnits(&map, {coordinate.longitude, coordinate.latitude});
    MapSetCenter(mapControl(), SaturateToInt(map.x), SaturateToInt(map.y), animated, 1, 1);
}

void VIZMapViewInternal::setVisibleMapRect(const VIZMapRect& rect, bool animated)
{
    if (!MapRectIsFinite(rect)) return;
    if (animated) {
        const CGRect target = m_VIZMapView->convertMapRect_toRectToView(rect, m_mapWrapperView.get());
        // The scroll view does not zoom to an empty rectangle, so no zoom
        // would end to take it: kept, it would replace the outcome of the
        // user's next pinch or double tap. It is applied at once instead.
        if (target.size.width <= 0 || target.size.height <= 0) {
            setVisibleMapRect(rect, false);
            if (auto d = mapViewDelegate()) d->mapView_regionDidChangeAnimated(m_VIZMapView, true);
            return;
        }
        m_scrollView->zoomToRect(target, true);
        _animatedMapRect = rect;
        return;
    }
    const _VRect r = MapRectToEngineRect(rect);
    CMapControl* control = mapControl();
    MapSetCenter(control, static_cast<int>((static_cast<long long>(r.left) + r.right) / 2),
                 static_cast<int>((static_cast<long long>(r.top) + r.bottom) / 2), 0, 1, 1);
    MapZoomToRect(control, r.left, r.top, r.right, r.bottom);
}

// ---- The end of a gesture -------------------------------------------------------

void VIZMapViewInternal::handleScrollViewPositionChange()
{
    forbiddenScrollViewFunction();
    if (std::fabs(m_scrollView->zoomScale() - 1) < 0.1) {
        handleMapMove();
    } else {
        handleMapZoom();
    }
}

void VIZMapViewInternal::handleMapMove()
{
    CMapControl* control = mapControl();
    if (!control) return;
    const CGPoint offset = m_scrollView->contentOffset();
    const int dx = static_cast<int>(m_contentOffset.x - offset.x);
    const int dy = static_cast<int>(m_contentOffset.y - offset.y);
    const CGSize size = engineFrame(m_VIZMapView->bounds()).size;
    const _VPoint target =
        ScalePointToPixels(static_cast<int>(size.width / 2) - dx, static_cast<int>(size.height / 2) - dy);
    control->MoveToScreenPoint(target.x, target.y, 0);
}

void VIZMapViewInternal::handleMapZoom()
{
    CMapControl* control = mapControl();
    if (!control) return;
    const CGFloat s = m_scrollView->zoomScale();
    const CGRect content = m_mapWrapperView->frame();
    const CGPoint offset = m_scrollView->contentOffset();
    const CGSize view = m_scrollView->frame().size;
    const CGFloat dx = (content.origin.x - offset.x) + content.size.width / 2 - view.width / 2;
    const CGFloat dy = (content.origin.y - offset.y) + content.size.height / 2 - view.height / 2;
    // Whole levels only; a slight pinch in (up to 1.2) moves the map by the
    // content's shift without changing the level.
    int step = 0;
    CGFloat factor = 1;
    if (s > 2.5) {
        step = 2, factor = 4;
    } else if (s > 1.2) {
        step = 1, factor = 2;
    } else if (s < 1 && s > 0.4) {
        step = -1, factor = 0.5;
    } else if (s <= 0.4) {
        step = -2, factor = 0.25;
    }
    if (step != 0) control->SetLevel(MapGetZoomLevel(control) + step, 1, 0, 1);
    const long long scale = GetMapScale();
    const _VPoint p = ScalePointToPixels(static_cast<int>(dx * factor / s), static_cast<int>(dy * factor / s));
    const _VPoint c = MapGetCenter(control);
    control->MoveTo(SaturateToInt(c.x - p.x * static_cast<double>(scale)),
                    SaturateToInt(c.y + p.y * static_cast<double>(scale)), 0, 1, 1);
}

// ---- User location --------------------------------------------------------------

void VIZMapViewInternal::setShowsUserLocation(bool shows)
{
    if (shows == _showsUserLocation) return;
    CEngineRoot* root = engineRoot();
    auto d = mapViewDelegate();
    if (shows) {
        if (d) d->mapViewWillStartLocatingUser(m_VIZMapView);
        if (root) LocSetMode(root->m_pLocation, 2);
    } else {
        if (root) LocSetMode(root->m_pLocation, 1);
        if (d) d->mapViewDidStopLocatingUser(m_VIZMapView);
    }
    _showsUserLocation = shows;
}
