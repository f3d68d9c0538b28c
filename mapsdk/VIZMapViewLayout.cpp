// The annotation and overlay views over the map: made lazily through the
// delegate, placed on every repaint, kept in step during gestures, recycled
// when they leave the area, and the callout of the selected view.
#include <algorithm>

#include "mapsdk/VIZBundle.h"
#include "mapsdk/VIZMapViewInternal.h"
#include "mapsdk/VIZPinAnnotationView.h"

namespace {

template <class T>
void eraseFirst(std::vector<std::shared_ptr<T>>& list, const T* item)
{
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == item; });
    if (it != list.end()) list.erase(it);
}

}  // namespace

// ---- Annotations ----------------------------------------------------------------

void VIZMapViewInternal::addAnnotation(const std::shared_ptr<VIZAnnotation>& annotation)
{
    if (annotation) addAnnotations({annotation});
}

void VIZMapViewInternal::addAnnotations(const std::vector<std::shared_ptr<VIZAnnotation>>& annotations)
{
    const size_t first = _annotations.size();
    for (const auto& a : annotations)
        if (a) _annotations.push_back(a);
    _annotationSlots.resize(_annotations.size());
    _annotationViews.resize(_annotations.size());
    updateMap();
    for (size_t i = first; i < _annotationViews.size(); ++i)
        if (_annotationViews[i]) dropIn(_annotationViews[i].get());
}

size_t VIZMapViewInternal::annotationIndex(const VIZAnnotation* annotation) const
{
    auto it = std::find_if(_annotations.begin(), _annotations.end(), [&](const auto& a) { return a.get() == annotation; });
    return static_cast<size_t>(it - _annotations.begin());
}

void VIZMapViewInternal::removeAnnotation(const std::shared_ptr<VIZAnnotation>& annotation)
{
    if (!annotation) return;
    const size_t index = annotationIndex(annotation.get());
    if (index < _annotations.size()) {
        const auto at = static_cast<std::ptrdiff_t>(index);
        auto view = std::move(_annotationViews[index]);
        _annotations.erase(_annotations.begin() + at);
        _annotationSlots.erase(_annotationSlots.begin() + at);
        _annotationViews.erase(_annotationViews.begin() + at);
        if (view) {
            if (view->selected()) deselectAnnotationView(view.get());
            view->setAnnotation(nullptr);
            pool(view);
            view->removeFromSuperview();
        }
    }
    updateMap();
}

void VIZMapViewInternal::pool(const std::shared_ptr<VIZAnnotationView>& view)
{
    if (!view->reuseIdentifier().isNil() && _reuseAnnotationViews.size() < kMaxReuseViews)
        _reuseAnnotationViews.push_back(view);
}

bool VIZMapViewInternal::hideAnnotationView(size_t index)
{
    auto view = std::move(_annotationViews[index]);
    _annotationSlots[index] = {};
    view->removeFromSuperview();
    const bool selected = view->selected();
    if (selected) deselectAnnotationView(view.get());
    pool(view);
    return selected;
}

std::shared_ptr<VIZAnnotationView> VIZMapViewInternal::viewForAnnotation(const VIZAnnotation* annotation) const
{
    if (annotation == _userLocation.get() && shownLocationView()) return _locationView;
    for (size_t i = 0; i < _annotations.size(); ++i)
        if (_annotations[i].get() == annotation && _annotationViews[i]) return _annotationViews[i];
    return nullptr;
}

template <class F>
VIZAnnotationView* VIZMapViewInternal::findShownView(F&& stopAt) const
{
    for (const auto& view : _annotationViews)
        if (view && stopAt(view.get())) return view.get();
    VIZAnnotationView* location = shownLocationView();
    return location && stopAt(location) ? location : nullptr;
}

std::shared_ptr<VIZAnnotationView> VIZMapViewInternal::dequeueReusableAnnotationViewWithIdentifier(
    const NSString& identifier)
{
    if (identifier.isNil()) return nullptr;
    auto it = std::find_if(_reuseAnnotationViews.begin(), _reuseAnnotationViews.end(),
                           [&](const auto& v) { return v->reuseIdentifier() == identifier; });
    if (it == _reuseAnnotationViews.end()) return nullptr;
    auto view = *it;
    view->prepareForReuse();
    _reuseAnnotationViews.erase(it);
    return view;
}

void VIZMapViewInternal::selectAnnotation(const std::shared_ptr<VIZAnnotation>& annotation)
{
    auto view = annotation ? viewForAnnotation(annotation.get()) : nullptr;
    if (view && !view->selected()) selectAnnotationView(view.get(), true, true);
}

void VIZMapViewInternal::deselectAnnotation(const std::shared_ptr<VIZAnnotation>& annotation)
{
    auto view = annotation ? viewForAnnotation(annotation.get()) : nullptr;
    if (view && view->selected()) deselectAnnotationView(view.get());
}

CGPoint VIZMapViewInternal::calloutAnchor(VIZAnnotationView* view) const
{
    const CGRect f = view->frame();
    return CGPointMake(f.origin.x + f.size.width / 2 + view->calloutOffset().x, f.origin.y + view->calloutOffset().y);
}

void VIZMapViewInternal::selectAnnotationView(VIZAnnotationView* view, bool needClear, bool needNotify)
{
    if (!view) return;
    auto keep = view->self();
    if (needClear) clearPaopao();
    view->setSelected(true);
    if (view->canShowCallout()) {
        auto annotation = view->annotation();
        const NSString title = annotation ? annotation->title() : NSString();
        if (title.isNil()) return;
        const NSString subtitle = annotation->subtitle();
        auto bubble = std::dynamic_pointer_cast<ActionPaopaoView>(view->paopaoView());
        if (!bubble) {
            bubble = ActionPaopaoView::initWithLeftView(view->leftCalloutAccessoryView(),
                                                        view->rightCalloutAccessoryView());
            bubble->setText(title, subtitle);
            bubble->showAtPoint(calloutAnchor(view));
            bubble->setDelegate(shared_from_this());
            view->setPaopaoView(bubble);
        } else {
            PaopaoButton* body = bubble->paopaoButton();
            if (body->label()->text() != title || body->detailLabel()->text() != subtitle)
                bubble->setText(title, subtitle);
            bubble->showAtPoint(calloutAnchor(view));
        }
        m_scrollView->addSubview(bubble);
    }
    if (needNotify)
        if (auto d = mapViewDelegate()) d->mapView_didSelectAnnotationView(m_VIZMapView, view);
}

void VIZMapViewInternal::deselectAnnotationView(VIZAnnotationView* view)
{
    view->setSelected(false);
    if (auto bubble = view->paopaoView()) bubble->removeFromSuperview();
    if (auto d = mapViewDelegate()) d->mapView_didDeselectAnnotationView(m_VIZMapView, view);
}

std::shared_ptr<VIZAnnotationView> VIZMapViewInternal::clearPaopao()
{
    VIZAnnotationView* view = findShownView([](VIZAnnotationView* v) { return v->selected(); });
    if (!view) return nullptr;
    auto keep = view->self();
    deselectAnnotationView(view);
    return std::static_pointer_cast<VIZAnnotationView>(keep);
}

void VIZMapViewInternal::onMoreButtonClicked()
{
    if (auto view = clearPaopao())
        if (auto d = mapViewDelegate()) d->mapView_annotationViewForBubble(m_VIZMapView, view.get());
}

void VIZMapViewInternal::updateAnnotationCoordinate(VIZAnnotationView* view)
{
    if (auto annotation = view->annotation()) {
        const CGRect f = view->frame();
        const CGPoint offset = view->centerOffset();
        const CGPoint p = CGPointMake(f.origin.x - offset.x + f.size.width / 2, f.origin.y - offset.y + f.size.height / 2);
        annotation->setCoordinate(m_VIZMapView->convertPoint_toCoordinateFromView(p, m_scrollView.get()));
    }
    if (auto d = mapViewDelegate())
        d->mapView_annotationView_didChangeDragState_fromOldState(m_VIZMapView, view, VIZAnnotationViewDragStateEnding,
                                                                  VIZAnnotationViewDragStateDragging);
}

bool VIZMapViewInternal::isAnnotationViewInScreen(const VIZAnnotation& annotation, CGPoint* center) const
{
    *center = m_VIZMapView->convertCoordinate_toPointToView(annotation.coordinate(), m_mapWrapperView.get());
    return m_mapWrapperView->pointInside(*center, nullptr);
}

void VIZMapViewInternal::setAnnotationViewFrame(UIView* view, CGPoint center, CGPoint centerOffset) const
{
    const CGPoint o = m_scrollView->contentOffset();
    CGRect f = view->frame();
    f.origin.x = static_cast<int>(m_contentOffset.x - o.x) + static_cast<int>(center.x - f.size.width / 2 + centerOffset.x);
    f.origin.y = static_cast<int>(m_contentOffset.y - o.y) + static_cast<int>(center.y - f.size.height / 2 + centerOffset.y);
    view->setFrame(f);
}

void VIZMapViewInternal::checkAnnotationViews()
{
    // Views stay on the scroll view while their annotations stay in the
    // area (taking every view off and on again costs a search of the
    // subviews each); the selected view's callout is shown again at the
    // view's new place, or leaves with it. A view whose annotation's point
    // and the scroll view's offset are as the pass last left them is left
    // alone while no annotation view changed since; a call to the delegate
    // (which may change any view) ends that trust for the rest of the pass.
    const CGPoint offset = m_scrollView->contentOffset();
    const CGPoint shift = CGPointMake(m_contentOffset.x - offset.x, m_contentOffset.y - offset.y);
    bool trusted = _slotsTrusted && _slotsStamp == VIZAnnotationView::layoutChanges() && shift == _slotsScrollShift;
    bool calledOut = _locationView && _locationView->selected();  // showLocation may deselect it
    auto d = mapViewDelegate();
    std::vector<std::shared_ptr<VIZAnnotationView>> added;
    VIZAnnotationView* selected = nullptr;
    showLocation();
    for (size_t i = 0; i < _annotations.size(); ++i) {
        CGPoint center{};
        const bool inside = isAnnotationViewInScreen(*_annotations[i], &center);
        AnnotationSlot& slot = _annotationSlots[i];
        if (!inside) {
            if (slot.view && hideAnnotationView(i)) {
                trusted = false;
                calledOut = true;
            }
            continue;
        }
        if (trusted && slot.view && slot.center == center) {
            if (slot.selected) selected = slot.view;
            continue;
        }
        VIZAnnotationView* view = slot.view;
        if (!view) {
            const auto annotation = _annotations[i];
            std::shared_ptr<VIZAnnotationView> made;
            if (d) {
                made = d->mapView_viewForAnnotation(m_VIZMapView, annotation);
                trusted = false;
                calledOut = true;
            }
            if (!made) {
                made = VIZAnnotationView::initWithAnnotation(nullptr, "pin_red");
                made->setAnnotation(annotation);
                made->setImage(UIImage::imageWithContentsOfFile(VIZGetBundleImagePath("pin_red")));
                made->setCenterOffset(CGPointMake(0, -0.5 * made->frame().size.height));
            }
            _annotationViews[i] = made;
            added.push_back(made);
            view = made.get();
        }
        setAnnotationViewFrame(view, center, view->centerOffset());
        if (view->superview() != m_scrollView.get())
            m_scrollView->addSubview(view->self());
        _annotationSlots[i] = {center, view, view->selected()};
        if (view->selected()) selected = view;
    }
    if (selected) selectAnnotationView(selected, false, false);
    if (!added.empty() && d) {
        d->mapView_didAddAnnotationViews(m_VIZMapView, added);
        calledOut = true;
    }
    _slotsTrusted = !calledOut;
    _slotsStamp = VIZAnnotationView::layoutChanges();
    _slotsScrollShift = shift;
}

void VIZMapViewInternal::transformAnnotationViewInScrolling()
{
    findShownView([&](VIZAnnotationView* view) {
        auto annotation = view->annotation();
        if (!annotation) return false;
        const CGPoint p = transformScreenPoint2ScrollViewPoint(
            m_VIZMapView->convertCoordinate_toPointToView(annotation->coordinate(), m_VIZMapView));
        CGRect f = view->frame();
        f.origin.x = p.x - f.size.width / 2 + view->centerOffset().x;
        f.origin.y = p.y - f.size.height / 2 + view->centerOffset().y;
        view->setFrame(f);
        if (view->selected())
            if (auto bubble = std::dynamic_pointer_cast<PaopaoBaseView>(view->paopaoView()))
                bubble->showAtPoint(calloutAnchor(view));
        return false;
    });
}

// Pins that ask for it fall from the top edge of the map to their place.
void VIZMapViewInternal::dropIn(VIZAnnotationView* view)
{
    auto* pin = dynamic_cast<VIZPinAnnotationView*>(view);
    if (!pin || !pin->animatesDrop() || !view->superview()) return;
    const CGRect end = view->frame();
    UIView* map = m_VIZMapView;
    UIView* scroll = m_scrollView.get();
    const CGPoint top = map->convertPoint(CGPointMake(scroll->convertPoint(end.origin, map).x, 0), scroll);
    const CGFloat bottom = map->convertPoint(CGPointMake(0, map->bounds().size.height), scroll).y;
    if (!(top.y < end.origin.y && end.origin.y < bottom)) return;
    view->setFrame(CGRectMake(end.origin.x, top.y, end.size.width, end.size.height));
    UIView::beginAnimations("PinDrop", nullptr);
    UIView::setAnimationDuration(std::clamp((end.origin.y - top.y) / 200.0, 0.5, 1.0));
    view->setFrame(end);
    UIView::commitAnimations();
}

// ---- Overlays -------------------------------------------------------------------

void VIZMapViewInternal::addOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    if (overlay) addOverlays({overlay});
}

void VIZMapViewInternal::addOverlays(const std::vector<std::shared_ptr<VIZOverlay>>& overlays)
{
    for (const auto& o : overlays)
        if (o) _overlays.push_back(o);
    updateMap();
}

void VIZMapViewInternal::removeOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    if (!overlay) return;
    eraseFirst(_overlays, overlay.get());
    if (auto it = _overlayViews.find(overlay.get()); it != _overlayViews.end()) {
        it->second->removeFromSuperview();
        _overlayViews.erase(it);
    }
    updateMap();
}

void VIZMapViewInternal::insertOverlay(const std::shared_ptr<VIZOverlay>& overlay, size_t index)
{
    if (!overlay) return;
    _overlays.insert(_overlays.begin() + static_cast<std::ptrdiff_t>(std::min(index, _overlays.size())), overlay);
    updateMap();
}

void VIZMapViewInternal::exchangeOverlays(size_t first, size_t second)
{
    if (first >= _overlays.size() || second >= _overlays.size()) return;
    std::swap(_overlays[first], _overlays[second]);
    updateMap();
}

void VIZMapViewInternal::insertOverlayNextTo(const std::shared_ptr<VIZOverlay>& overlay,
                                             const std::shared_ptr<VIZOverlay>& sibling, bool above)
{
    if (!overlay || !sibling) return;
    auto it = std::find(_overlays.begin(), _overlays.end(), sibling);
    if (it != _overlays.end()) _overlays.insert(above ? it + 1 : it, overlay);
    updateMap();
}

std::shared_ptr<VIZOverlayView> VIZMapViewInternal::viewForOverlay(const VIZOverlay* overlay) const
{
    auto it = _overlayViews.find(overlay);
    return it == _overlayViews.end() ? nullptr : it->second;
}

void VIZMapViewInternal::setOverlayViewFrame(VIZOverlayView* view, const VIZMapRect& mapRect) const
{
    CGRect r = m_mapView->convertRectFromView(view->rectForMapRect(mapRect), view);
    const CGPoint o = m_scrollView->contentOffset();
    r.origin.x += m_contentOffset.x - o.x;
    r.origin.y += m_contentOffset.y - o.y;
    view->setFrame(r);
}

void VIZMapViewInternal::checkOverlayViews()
{
    for (const auto& [key, view] : _overlayViews) view->removeFromSuperview();
    const VIZMapRect visible = m_VIZMapView->visibleMapRect();
    auto d = mapViewDelegate();
    std::vector<std::shared_ptr<VIZOverlayView>> added;
    for (const auto& overlay : _overlays) {
        const VIZMapRect bounds = overlay->boundingMapRect();
        if (!overlay->intersectsMapRect(visible).value_or(MapRectsIntersect(visible, bounds))) continue;
        auto view = viewForOverlay(overlay.get());
        if (!view) {
            view = d ? d->mapView_viewForOverlay(m_VIZMapView, overlay) : nullptr;
            if (!view) continue;
            view->initDelegate(std::static_pointer_cast<VIZMapView>(m_VIZMapView->self()));
            _overlayViews[overlay.get()] = view;
            added.push_back(view);
        }
        const VIZMapRect rect = MapRectIntersection(visible, bounds);
        setOverlayViewFrame(view.get(), rect);
        m_mapView->addSubview(view);
        const int level = m_VIZMapView->zoomLevel();
        view->delegate()->zoomLevel = level;
        if (view->canDrawMapRect(rect, VIZZoomScaleForLevel(level))) view->setNeedsDisplayInMapRect(rect);
    }
    if (!added.empty() && d) d->mapView_didAddOverlayViews(m_VIZMapView, added);
}

void VIZMapViewInternal::showLocation()
{
    if (!_userLocation) return;
    CGPoint center{};
    if (!_showsUserLocation || !isAnnotationViewInScreen(*_userLocation, &center)) {
        if (!shownLocationView()) return;
        _locationViewShown = false;
        if (_locationView->selected()) deselectAnnotationView(_locationView.get());
        _locationView->removeFromSuperview();
        return;
    }
    if (!_locationView) {
        _locationView = LocationView::initWithAnnotation(_userLocation, NSString());
        _locationView->setMapView(std::static_pointer_cast<UIView>(m_VIZMapView->shared_from_this()));
    }
    _locationViewShown = true;
    _locationView->needRect(m_VIZMapView->zoomLevel());
    setAnnotationViewFrame(_locationView.get(), center, _locationView->centerOffset());
    if (_locationView->superview() != m_scrollView.get()) m_scrollView->addSubview(_locationView);
    _locationView->setNeedsDisplay();
    if (_locationView->selected()) selectAnnotationView(_locationView.get(), false, false);
}
