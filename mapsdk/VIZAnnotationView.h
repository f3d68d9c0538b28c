#pragma once
// The view that marks an annotation on the map. Its state lives in a
// companion object; it recognises a single tap and a drag and reports both
// to the map view by notifications, never calling it directly.

#include <cstdint>
#include <memory>

#include "mapsdk/VIZAnnotation.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImage.h"

// Drag states of an annotation view.
enum VIZAnnotationViewDragState : unsigned {
    VIZAnnotationViewDragStateNone = 0,
    VIZAnnotationViewDragStateStarting = 1,
    VIZAnnotationViewDragStateDragging = 2,
    VIZAnnotationViewDragStateCanceling = 3,
    VIZAnnotationViewDragStateEnding = 4
};

// Notifications between SDK views and the map view (default centre, nil object).
inline constexpr const char* kNotificationSelectAnnotationView = "NotificationSelectAnnotationView";
inline constexpr const char* kNotificationClearPaopao = "NotificationClearPaopao";
inline constexpr const char* kNotificationUptateAnnotationCoordinate = "NotificationUptateAnnotationCoordinate";

class VIZAnnotationViewInternal {
public:
    std::shared_ptr<VIZAnnotation> annotation;
    NSString reuseIdentifier;
    std::shared_ptr<UIImage> image;
    CGPoint centerOffset{};
    CGPoint calloutOffset{};
    bool enabled = true;
    bool highlighted = false;
    bool selected = false;
    bool canShowCallout = true;
    std::shared_ptr<UIView> leftCalloutAccessoryView;
    std::shared_ptr<UIView> rightCalloutAccessoryView;
    std::shared_ptr<UIView> paopaoView;
    // A touch began on the view and has not ended.
    bool singleTap = false;
    bool draggable = false;
    unsigned dragState = VIZAnnotationViewDragStateNone;
};

class VIZAnnotationView : public UIView {
public:
    static std::shared_ptr<VIZAnnotationView> initWithAnnotation(const std::shared_ptr<VIZAnnotation>& annotation,
                                                                 const NSString& reuseIdentifier);
    ~VIZAnnotationView() override;

    NSString reuseIdentifier() const { return _internal->reuseIdentifier; }
    void setReuseIdentifier(const NSString& identifier) { _internal->reuseIdentifier = identifier; }
    std::shared_ptr<VIZAnnotation> annotation() const { return _internal->annotation; }
    void setAnnotation(const std::shared_ptr<VIZAnnotation>& a) { _internal->annotation = a; }
    std::shared_ptr<UIImage> image() const { return _internal->image; }
    // Sizes the frame to the image at the origin: its pixels, halved on a
    // Retina screen; nil gives a zero size.
    void setImage(const std::shared_ptr<UIImage>& image);
    CGPoint centerOffset() const { return _internal->centerOffset; }
    void setCenterOffset(CGPoint p)
    {
        if (p == _internal->centerOffset) return;
        _internal->centerOffset = p;
        noteLayoutChange();
    }
    CGPoint calloutOffset() const { return _internal->calloutOffset; }
    void setCalloutOffset(CGPoint p) { _internal->calloutOffset = p; }
    bool enabled() const { return _internal->enabled; }
    void setEnabled(bool e) { _internal->enabled = e; }
    bool highlighted() const { return _internal->highlighted; }
    void setHighlighted(bool h) { _internal->highlighted = h; }
    bool selected() const { return _internal->selected; }
    void setSelected(bool s)
    {
        if (s == _internal->selected) return;
        _internal->selected = s;
        noteLayoutChange();
    }
    void setSelected(bool s, bool /*animated*/) { setSelected(s); }
    bool canShowCallout() const { return _internal->canShowCallout; }
    void setCanShowCallout(bool c) { _internal->canShowCallout = c; }
    std::shared_ptr<UIView> leftCalloutAccessoryView() const { return _internal->leftCalloutAccessoryView; }
    void setLeftCalloutAccessoryView(const std::shared_ptr<UIView>& v) { _internal->leftCalloutAccessoryView = v; }
    std::shared_ptr<UIView> rightCalloutAccessoryView() const { return _internal->rightCalloutAccessoryView; }
    void setRightCalloutAccessoryView(const std::shared_ptr<UIView>& v) { _internal->rightCalloutAccessoryView = v; }
    bool draggable() const { return _internal->draggable; }
    void setDraggable(bool d) { _internal->draggable = d; }
    unsigned dragState() const { return _internal->dragState; }
    void setDragState(unsigned s) { _internal->dragState = s; }
    void setDragState(unsigned s, bool /*animated*/) { setDragState(s); }

    // Clears the annotation, the selection and the callout.
    virtual void prepareForReuse();
    void setFrame(CGRect frame) override;
    void setBounds(CGRect bounds) override;
    void didMoveToSuperview() override;

    // Counts the changes to any annotation view that the map's layout pass
    // would have to see: its frame or bounds set, its centre offset or
    // selection changed, put on or taken off a view. While the count stands
    // still, the pass trusts what it kept of its views and leaves them
    // untouched. (Views are placed through their frames only; nothing sets
    // an annotation view's centre or transform directly.)
    static std::uint64_t layoutChanges() { return s_layoutChanges; }
    void drawRect(CGRect rect) override;

    void touchesBegan(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesCancelled(const NSSetOfTouches& touches, UIEvent* event) override;
    // Asks the map view to select this view; an enabled, unselected view
    // only. A callout then pops in.
    void handleSingleTap();
    void handleSingleDrag(const id& recognizer);

    // For the map view.
    VIZAnnotationViewInternal* internal() const { return _internal.get(); }
    std::shared_ptr<UIView> paopaoView() const { return _internal->paopaoView; }
    void setPaopaoView(const std::shared_ptr<UIView>& v) { _internal->paopaoView = v; }

    // The callout's pop-in: "transform.scale" over these values and times.
    static constexpr double kPopDuration = 0.6;

protected:
    // Subclasses' factories: the view set up for the annotation.
    static void setUp(VIZAnnotationView& view, const std::shared_ptr<VIZAnnotation>& annotation,
                      const NSString& reuseIdentifier);

private:
    static void noteLayoutChange() { ++s_layoutChanges; }
    inline static std::uint64_t s_layoutChanges = 0;

    void moveFrame(CGFloat dx, CGFloat dy);
    void animateFrameDown(CGFloat dy);
    void postWithSelf(const char* name);

    std::unique_ptr<VIZAnnotationViewInternal> _internal = std::make_unique<VIZAnnotationViewInternal>();
};
