#pragma once
// The map view's working parts: the image view showing the engine's bitmap,
// the scroll view and tap view that take the fingers, the engine window and
// map control, the gestures' end turned into engine moves and zooms, and
// the annotation and overlay views laid over the map on each repaint.

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "mapsdk/Paopao.h"
#include "mapsdk/TapDetectingView.h"
#include "mapsdk/VIZAnnotationView.h"
#include "mapsdk/VIZMapView.h"
#include "mapsdk/VIZUserLocation.h"
#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"

// Shows the engine's bitmap, whose first row is the top of the map. The
// image shares the bitmap's pixels, so a resize of the engine window that
// replaces the bitmap never leaves it over freed memory.
class VurivMapView : public UIView {
public:
    CGImageRef getMapImage() const { return m_mapImageRef; }
    void setMapImage(const CGImageRef& image);
    void drawRect(CGRect rect) override;
    void drawInContext(CGContextRef context);

private:
    CGImageRef m_mapImageRef;
};

// The engine's screen bitmap as an image over its own pixels; nil without
// an engine or a bitmap.
CGImageRef VIZCreateScreenImage();

class VIZMapViewInternal : public NSObject,
                           public UIScrollViewDelegate,
                           public TapDetectingViewDelegate,
                           public PaopaoBaseViewDelegate {
public:
    // Reuse pool bound: views beyond it are dropped.
    static constexpr size_t kMaxReuseViews = 50;
    // The engine's first view: Beijing at level 12.
    static constexpr int kInitialCenterX = 12958162;
    static constexpr int kInitialCenterY = 4825907;
    static constexpr int kInitialLevel = 12;

    // Builds the internal object and the view hierarchy for the frame.
    static std::shared_ptr<VIZMapViewInternal> initSubView(VIZMapView* mapView);
    // The same geometry for a new size.
    void layoutForFrame(CGRect frame);
    // The first map view makes the engine window and the map control, then
    // the positioning object; later ones share them.
    bool initWindowAndMapControl();
    bool initLocationControl();
    bool isEngineWindowEqualsFrame(CGRect frame) const;
    bool adjustMapWindowWithFrame(CGRect frame);
    // Every map view lays out and redraws.
    void updateMap();
    // The image of the engine's bitmap to the image view, then the rest
    // state of the scroll view.
    void showScreenBitmap();

    void forbiddenScrollViewFunction();
    void restoreScrollViewFunction();
    void restoreScrollViewStatus();
    void forbiddenUserInputForMap();
    void restoreUserInputForMap();

    // UIScrollViewDelegate.
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView* sv) override;
    void scrollViewWillBeginDragging(UIScrollView* sv) override;
    void scrollViewWillBeginZooming_withView(UIScrollView* sv, UIView* view) override;
    void scrollViewDidScroll(UIScrollView* sv) override;
    void scrollViewDidEndDragging_willDecelerate(UIScrollView* sv, bool decelerate) override;
    void scrollViewDidEndDecelerating(UIScrollView* sv) override;
    // An animated zoom (a double or two-finger tap, an animated visible
    // rectangle) ends here on this platform, as the zoom's end does.
    void scrollViewDidEndScrollingAnimation(UIScrollView* sv) override;
    void scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView* view, CGFloat scale) override;

    // TapDetectingViewDelegate.
    void tapDetectingView_gotSingleTapAtPoint(TapDetectingView*, CGPoint point) override;
    void tapDetectingView_gotDoubleTapAtPoint(TapDetectingView*, CGPoint point) override;
    void tapDetectingView_gotTwoFingerTapAtPoint(TapDetectingView*, CGPoint point) override;
    void tapDetectingView_endTouchPoint(TapDetectingView*, CGPoint point) override;

    CGRect zoomRectForScale(CGFloat scale, CGPoint center) const;
    bool zoomIn();
    bool zoomOut();
    CGPoint transformScreenPoint2ScrollViewPoint(CGPoint point) const;
    CGPoint transformScrollViewPoint2SelfViewPoint(CGPoint point) const;

    void setCenterCoordinate(const CLLocationCoordinate2D& coordinate, bool animated);
    void setVisibleMapRect(const VIZMapRect& rect, bool animated);

    // The end of a gesture: one engine move or zoom.
    void handleScrollViewPositionChange();
    void handleMapMove();
    void handleMapZoom();

    // Annotations.
    void addAnnotation(const std::shared_ptr<VIZAnnotation>& annotation);
    void addAnnotations(const std::vector<std::shared_ptr<VIZAnnotation>>& annotations);
    void removeAnnotation(const std::shared_ptr<VIZAnnotation>& annotation);
    std::shared_ptr<VIZAnnotationView> viewForAnnotation(const VIZAnnotation* annotation) const;
    std::shared_ptr<VIZAnnotationView> dequeueReusableAnnotationViewWithIdentifier(const NSString& identifier);
    void selectAnnotation(const std::shared_ptr<VIZAnnotation>& annotation);
    void deselectAnnotation(const std::shared_ptr<VIZAnnotation>& annotation);
    void selectAnnotationView(VIZAnnotationView* view, bool needClear, bool needNotify);
    void deselectAnnotationView(VIZAnnotationView* view);
    std::shared_ptr<VIZAnnotationView> clearPaopao();
    void onMoreButtonClicked() override;
    void updateAnnotationCoordinate(VIZAnnotationView* view);
    bool isAnnotationViewInScreen(const VIZAnnotation& annotation, CGPoint* center) const;
    void setAnnotationViewFrame(UIView* view, CGPoint center, CGPoint centerOffset) const;
    void checkAnnotationViews();
    void transformAnnotationViewInScrolling();

    // Overlays.
    void addOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    void addOverlays(const std::vector<std::shared_ptr<VIZOverlay>>& overlays);
    void removeOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    void insertOverlay(const std::shared_ptr<VIZOverlay>& overlay, size_t index);
    void exchangeOverlays(size_t first, size_t second);
    void insertOverlayNextTo(const std::shared_ptr<VIZOverlay>& overlay, const std::shared_ptr<VIZOverlay>& sibling,
                             bool above);
    std::shared_ptr<VIZOverlayView> viewForOverlay(const VIZOverlay* overlay) const;
    void setOverlayViewFrame(VIZOverlayView* view, const VIZMapRect& mapRect) const;
    void checkOverlayViews();

    void setShowsUserLocation(bool shows);
    // The layout pass's user-location view: on the scroll view at the user
    // location while it is shown and in the area, else taken off (and
    // deselected).
    void showLocation();

    std::shared_ptr<VIZMapViewDelegate> mapViewDelegate() const { return _mapViewDelegate.lock(); }

    std::shared_ptr<UIImageView> m_logo;
    VIZMapView* m_VIZMapView = nullptr;
    std::shared_ptr<UIScrollView> m_scrollView;
    std::shared_ptr<TapDetectingView> m_mapWrapperView;
    std::shared_ptr<VurivMapView> m_mapView;

    std::vector<std::shared_ptr<VIZAnnotation>> _annotations;
    // What the layout pass keeps of the annotation at the same index: where
    // it last placed the annotation's view, and the view while it is shown.
    // The pass walks these in order and reaches a view only to change it,
    // so its cost is the contiguous walk (about 32 bytes a pin), whatever
    // the views' places in memory.
    struct AnnotationSlot {
        CGPoint center{};  // the annotation's point in the map wrapper view
        VIZAnnotationView* view = nullptr;  // owned by _annotationViews
        bool selected = false;
    };
    std::vector<AnnotationSlot> _annotationSlots;
    // The shown views, at their annotations' indices (nil where none).
    std::vector<std::shared_ptr<VIZAnnotationView>> _annotationViews;
    std::vector<std::shared_ptr<VIZAnnotationView>> _reuseAnnotationViews;
    std::vector<std::shared_ptr<VIZOverlay>> _overlays;
    std::unordered_map<const VIZOverlay*, std::shared_ptr<VIZOverlayView>> _overlayViews;

    std::weak_ptr<VIZMapViewDelegate> _mapViewDelegate;
    bool _showsUserLocation = false;
    // Lives as long as the map view; its view is made on first show.
    std::shared_ptr<VIZUserLocation> _userLocation;
    std::shared_ptr<LocationView> _locationView;

    CGPoint m_contentOffset{};
    CGSize m_contentSize{};
    bool m_ScrollEnabled = true;
    bool m_ZoomEnabled = true;
    unsigned m_MapType = VIZMapTypeStandard;
    std::optional<VIZMapRect> _animatedMapRect;

private:
    // The index of the annotation's first entry, or the count when absent.
    size_t annotationIndex(const VIZAnnotation* annotation) const;
    // Takes the view of the annotation at the index off the map, deselected,
    // and pools it; true when it was selected (the delegate was told).
    bool hideAnnotationView(size_t index);
    // The user location's view while the layout pass shows it, else nil.
    VIZAnnotationView* shownLocationView() const { return _locationViewShown ? _locationView.get() : nullptr; }
    // The first shown annotation view (the user location's last) for which
    // the function is true, else nil; it sees every shown view until then.
    template <class F>
    VIZAnnotationView* findShownView(F&& stopAt) const;

    // The pass may trust its slots while no annotation view changed since
    // (see VIZAnnotationView::layoutChanges) and the scroll view kept its
    // offset.
    bool _slotsTrusted = false;
    std::uint64_t _slotsStamp = 0;
    CGPoint _slotsScrollShift{};
    bool _locationViewShown = false;

    void pool(const std::shared_ptr<VIZAnnotationView>& view);
    void dropIn(VIZAnnotationView* view);
    CGPoint calloutAnchor(VIZAnnotationView* view) const;
    bool gestureRunning() const;
};
