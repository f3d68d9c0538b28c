#include "mapsdk/VIZUserLocation.h"

#include <algorithm>
#include <cmath>

#include "engine/data/AppLocation.h"
#include "engine/root/EngineRoot.h"
#include "engine/data/GpsProviders.h"
#include "mapsdk/VIZBundle.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/UIApplication.h"

using namespace mapengine;

namespace {

constexpr int kLocationSourceGps = 5;
constexpr int kLocationValid = 3;
constexpr int kLocationModeOff = 1;
// How far past the map view views are laid out, in map-view sides.
constexpr CGFloat kLayoutAreaSides = 5;
constexpr CGFloat kCircleInset = 2;

// Course and speed came with system 4.2.
bool HasCourseAndSpeed() { return UIDevice::currentDevice().systemVersion.floatValue() >= 4.2f; }

}  // namespace

std::shared_ptr<VIZUserLocationInternal> VIZUserLocationInternal::init()
{
    auto internal = std::make_shared<VIZUserLocationInternal>();
    NSNotificationCenter::defaultCenter()->addObserver(
        internal.get(), NX_SEL(VIZUserLocationInternal, onNotificationLocationUpdate), kNotificationLocationUpdate,
        nullptr);
    return internal;
}

VIZUserLocationInternal::~VIZUserLocationInternal()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this, kNotificationLocationUpdate, nullptr);
}

void VIZUserLocationInternal::onNotificationLocationUpdate(const id&)
{
    std::weak_ptr<VIZUserLocationInternal> weak = std::static_pointer_cast<VIZUserLocationInternal>(shared_from_this());
    NSThread::performBlockOnMainThread(
        [weak] {
            if (auto self = weak.lock()) self->updateLocationInfo();
        },
        true);
}

void VIZUserLocationInternal::updateLocationInfo()
{
    CEngineRoot* root = GetEngineRoot();
    CAppLocation* engineLocation = root ? root->m_pLocation : nullptr;
    if (!engineLocation) return;
    tagLocInfo current;
    LocGetCurrent(&current, engineLocation);
    if (current.source != kLocationSourceGps || current.status != kLocationValid) {
        _updating = LocGetMode(engineLocation) != kLocationModeOff;
        return;
    }
    _updating = false;
    const std::shared_ptr<CLLocation> fix = IphoneGPSMan::getInstance()->bestEffortAtLocation();
    if (!fix) return;

    CGpsDetailInfo detail;
    detail.longitude = static_cast<float>(fix->coordinate().longitude);
    detail.latitude = static_cast<float>(fix->coordinate().latitude);
    _VDPoint datum;
    GpsToMapCoord(&datum, detail, 2, 0);
    const CLLocationCoordinate2D at = CLLocationCoordinate2DMake(datum.y, datum.x);
    _location = HasCourseAndSpeed()
                    ? CLLocation::initWithCoordinate(at, fix->altitude(), fix->horizontalAccuracy(),
                                                     fix->verticalAccuracy(), fix->course(), fix->speed(),
                                                     fix->timestamp())
                    : CLLocation::initWithCoordinate(at, fix->altitude(), fix->horizontalAccuracy(),
                                                     fix->verticalAccuracy(), fix->timestamp());
    _coordinate = _location->coordinate();

    auto center = NSNotificationCenter::defaultCenter();
    center->postNotificationName(kNotificationMainMapPaint, nullptr);
    center->postNotificationName(kNotificationLocationDidUpdate, userLocation());
}

std::shared_ptr<VIZUserLocation> VIZUserLocation::init()
{
    auto userLocation = std::make_shared<VIZUserLocation>();
    userLocation->_internal = VIZUserLocationInternal::init();
    userLocation->_internal->setUserLocation(userLocation);
    userLocation->setTitle("我的位置");
    return userLocation;
}

std::shared_ptr<LocationView> LocationView::initWithAnnotation(const std::shared_ptr<VIZAnnotation>& annotation,
                                                               const NSString& reuseIdentifier)
{
    auto view = std::make_shared<LocationView>();
    setUp(*view, annotation, reuseIdentifier);
    view->setEnabled(true);
    // The plain file on every screen: its width is the dot's in points too.
    view->setImage(UIImage::imageWithContentsOfFile(VIZGetBundleFilePath("images/icon_center_point.png")));
    view->setCanShowCallout(true);
    view->setHidden(true);
    return view;
}

CGFloat LocationView::dotWidth() const
{
    return image() ? static_cast<CGFloat>(CGImageGetWidth(image()->CGImage())) : 0;
}

CGMutablePathRef LocationView::circlePath(CGFloat side)
{
    CGMutablePathRef path = CGPathCreateMutable();
    const CGFloat half = side / 2;
    CGPathAddArc(path, nullptr, half, half, half - kCircleInset, 0, 2 * M_PI, false);
    CGPathCloseSubpath(path);
    return path;
}

void LocationView::needRect(int zoomLevel)
{
    auto userLocation = std::dynamic_pointer_cast<VIZUserLocation>(annotation());
    const std::shared_ptr<CLLocation> location = userLocation ? userLocation->location() : nullptr;
    setHidden(!location);
    if (!location) return;

    const CGFloat w = dotWidth();
    CGFloat diameter = 2 * location->horizontalAccuracy() / std::pow(2.0, 18 - zoomLevel);
    if (auto map = mapView()) {
        const CGSize size = map->bounds().size;
        diameter = std::min(diameter, kLayoutAreaSides * std::max(size.width, size.height));
    }
    if (!(diameter > w)) {
        setFrame(CGRectMake(0, 0, w, w));
        setCalloutOffset(CGPointMake(0, 0));
        return;
    }
    if (std::fabs(frame().size.width - diameter) < 0.00001) return;
    const CGFloat side = static_cast<float>(diameter);
    setFrame(CGRectMake(0, 0, side, side));
    _path = circlePath(side);
    // The callout points at the dot, not at the top of the circle.
    setCalloutOffset(CGPointMake(0, (side - w) / 2));
}

void LocationView::drawRect(CGRect rect)
{
    const CGFloat w = dotWidth();
    const CGFloat side = frame().size.width;
    if (!(side > w)) {
        VIZAnnotationView::drawRect(rect);
        return;
    }
    if (!_path) _path = circlePath(side);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBStrokeColor(c, 0.463, 0.635, 0.86, 1.0);
    CGContextSetRGBFillColor(c, 0.73, 0.9, 1.0, 0.47);
    CGContextSetLineWidth(c, 1.6);
    CGContextAddPath(c, _path);
    CGContextFillPath(c);
    CGContextAddPath(c, _path);
    CGContextStrokePath(c);
    const CGFloat s = (side - w) / 2;
    image()->drawInRect(CGRectMake(s, s, w, w));
}

void LocationView::touchesEnded(const NSSetOfTouches& touches, UIEvent*)
{
    VIZAnnotationViewInternal* state = internal();
    if (!enabled() || !state->singleTap) return;
    state->singleTap = false;
    const CGFloat w = dotWidth();
    const CGFloat s = (frame().size.width - w) / 2;
    bool counts = !(s > 0);
    if (!counts && !touches.empty()) {
        counts = CGRectContainsPoint(CGRectMake(s, s, w, w), touches.front()->locationInView(this));
    }
    if (counts) handleSingleTap();
}
