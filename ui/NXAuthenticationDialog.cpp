#include "ui/NXAuthenticationDialog.h"

#include <algorithm>
#include <cmath>

#include "http/NXHTTPRequest.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIKeyboard.h"

namespace {

constexpr NSTimeInterval kRotationDuration = 0.3;
constexpr CGFloat kFieldInset = 10;

// Main thread only: the dialog on screen and the requests waiting for one.
std::shared_ptr<NXAuthenticationDialog>& current()
{
    static std::shared_ptr<NXAuthenticationDialog> dialog;
    return dialog;
}

std::vector<std::shared_ptr<NXHTTPRequest>>& waiting()
{
    static std::vector<std::shared_ptr<NXHTTPRequest>> list;
    return list;
}

void removeWaiting(const std::shared_ptr<NXHTTPRequest>& r)
{
    auto& list = waiting();
    list.erase(std::remove(list.begin(), list.end(), r), list.end());
}

NSString orEmpty(const NSString& s) { return s.isNil() ? NSString("") : s; }

bool sameRealm(const NSString& a, const NSString& b) { return a.isNil() ? b.isNil() : (!b.isNil() && a == b); }

}  // namespace

// ---- Class-wide ---------------------------------------------------------------------

std::shared_ptr<NXAuthenticationDialog> NXAuthenticationDialog::make()
{
    auto d = UIViewController::init<NXAuthenticationDialog>();
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(d.get(), NX_SEL(NXAuthenticationDialog, keyboardWillShow), UIKeyboardWillShowNotification, nullptr);
    if (!d->onTablet()) {
        UIDevice& device = UIDevice::currentDevice();
        if (!device.isGeneratingDeviceOrientationNotifications()) {
            device.beginGeneratingDeviceOrientationNotifications();
            d->didEnableRotationNotifications_ = true;
        }
        center->addObserver(d.get(), NX_SEL(NXAuthenticationDialog, orientationChanged), UIDeviceOrientationDidChangeNotification,
                            nullptr);
    }
    return d;
}

void NXAuthenticationDialog::install()
{
    NXHTTPRequest::setAuthenticationDialogPresenter(
        {[] { return UIApplication::sharedApplication().hasKeyWindow(); }, &presentAuthenticationDialogForRequest});
}

void NXAuthenticationDialog::presentAuthenticationDialogForRequest(const std::shared_ptr<NXHTTPRequest>& request)
{
    if (!request) return;
    if (current()) {
        waiting().push_back(request);
        return;
    }
    // Nobody can type (the window went since the request looked): fail as
    // when there is no dialog at all.
    if (!UIApplication::sharedApplication().keyWindow()) return request->cancelAuthentication();
    auto dialog = make();
    current() = dialog;
    dialog->request_ = request;
    dialog->type_ = request->authenticationNeeded() == 2 ? Proxy : Server;
    dialog->show();
}

void NXAuthenticationDialog::dismissCurrent()
{
    if (auto d = current()) d->presentingController()->dismissModalViewControllerAnimated(true);
}

std::shared_ptr<NXAuthenticationDialog> NXAuthenticationDialog::currentDialog() { return current(); }

std::vector<std::shared_ptr<NXHTTPRequest>> NXAuthenticationDialog::waitingRequests() { return waiting(); }

// ---- Life ---------------------------------------------------------------------------

NXAuthenticationDialog::~NXAuthenticationDialog()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    if (didEnableRotationNotifications_) UIDevice::currentDevice().endGeneratingDeviceOrientationNotifications();
    if (presentingController_ && presentingController_->isViewLoaded()) presentingController_->view()->removeFromSuperview();
}

bool NXAuthenticationDialog::onTablet() const
{
    return UIDevice::currentDevice().userInterfaceIdiom == UIUserInterfaceIdiomPad;
}

std::shared_ptr<UIViewController> NXAuthenticationDialog::presentingController()
{
    if (!presentingController_) {
        presentingController_ = UIViewController::init<NXAutorotatingViewController>();
        auto view = presentingController_->view();
        view->setFrame(CGRectZero);
        view->setUserInteractionEnabled(false);
        if (auto window = UIApplication::sharedApplication().keyWindow()) window->addSubview(view);
    }
    return presentingController_;
}

void NXAuthenticationDialog::dismiss()
{
    if (current().get() == this) return dismissCurrent();
    presentingController()->dismissModalViewControllerAnimated(true);
}

void NXAuthenticationDialog::viewDidDisappear(bool animated)
{
    auto keep = me();
    if (current().get() == this) current().reset();
    presentNextDialog();
}

void NXAuthenticationDialog::presentNextDialog()
{
    // A request cancelled or timed out while it waited has nobody to hand
    // what is typed to: it gets no dialog.
    auto& list = waiting();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [](const auto& r) { return r->isCancelled() || r->isFinished() || r->complete() || r->error(); }),
               list.end());
    if (list.empty()) return;
    auto next = list.front();
    list.erase(list.begin());
    presentAuthenticationDialogForRequest(next);
}

// ---- Showing ------------------------------------------------------------------------

void NXAuthenticationDialog::show()
{
    auto v = view();
    v->setBackgroundColor(UIColor::groupTableViewBackgroundColor());
    const auto old = v->subviews();
    for (const auto& s : old) s->removeFromSuperview();

    bar_ = UIView::initWithFrame<UINavigationBar>(CGRectMake(0, 0, v->bounds().size.width, 44));
    bar_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    item_ = std::make_shared<UINavigationItem>();
    item_->title = type_ == Proxy ? request_->proxyHost() : (request_->url() ? request_->url()->host() : NSString());
    item_->leftBarButtonItem = UIBarButtonItem::initWithBarButtonSystemItem(
        UIBarButtonSystemItemCancel, me(), NX_SEL0(NXAuthenticationDialog, cancelAuthenticationFromDialog));
    item_->rightBarButtonItem = UIBarButtonItem::initWithTitle("Login", UIBarButtonItemStyleDone, me(),
                                                               NX_SEL0(NXAuthenticationDialog, loginWithCredentialsFromDialog));
    v->addSubview(bar_);

    tableView_ = UITableView::initWithFrame(CGRectZero, UITableViewStyleGrouped);
    tableView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    tableView_->setBackgroundColor(UIColor::clearColor());
    tableView_->setDelegate(me());
    tableView_->setDataSource(me());
    v->addSubview(tableView_);
    showTitle();
    tableView_->reloadData();

    if (onTablet()) setModalPresentationStyle(UIModalPresentationFormSheet);
    presentingController()->presentModalViewController(me(), true);
    // The field takes the keyboard once the form is in the window.
    if (auto* field = usernameField()) field->becomeFirstResponder();
}

void NXAuthenticationDialog::showTitle()
{
    if (!item_) return;
    const UIDeviceOrientation o = UIDevice::currentDevice().orientation();
    if (o == UIDeviceOrientationPortrait || o == UIDeviceOrientationPortraitUpsideDown)
        item_->prompt = type_ == Proxy ? "Login to this secure proxy server." : "Login to this secure server.";
    else
        item_->prompt = NSString();
    layoutForm();
}

// Fits the bar to its item and puts the form below it.
void NXAuthenticationDialog::layoutForm()
{
    bar_->pushNavigationItem(item_, false);
    bar_->sizeToFit();
    bar_->pushNavigationItem(item_, false);  // again, laid out in the fitted height
    const CGRect b = view()->bounds();
    const CGFloat barHeight = bar_->frame().size.height;
    tableView_->setFrame(CGRectMake(0, barHeight, b.size.width, b.size.height - barHeight));
}

// ---- The buttons ----------------------------------------------------------------------

void NXAuthenticationDialog::loginWithCredentialsFromDialog()
{
    auto keep = me();
    const NSString user = orEmpty(usernameField() ? usernameField()->text() : NSString());
    const NSString password = orEmpty(passwordField() ? passwordField()->text() : NSString());
    const bool ntlm = usesNTLM();
    const NSString domain = ntlm && domainField() ? orEmpty(domainField()->text()) : NSString();
    for (const auto& r : requestsRequiringTheseCredentials()) {
        if (type_ == Proxy) {
            r->setProxyUsername(user);
            r->setProxyPassword(password);
            if (ntlm) r->setProxyDomain(domain);
        } else {
            r->setUsername(user);
            r->setPassword(password);
            if (ntlm) r->setDomain(domain);
        }
        r->retryUsingSuppliedCredentials();
        removeWaiting(r);
    }
    dismiss();
}

void NXAuthenticationDialog::cancelAuthenticationFromDialog()
{
    auto keep = me();
    for (const auto& r : requestsRequiringTheseCredentials()) {
        r->cancelAuthentication();
        removeWaiting(r);
    }
    dismiss();
}

std::vector<std::shared_ptr<NXHTTPRequest>> NXAuthenticationDialog::requestsRequiringTheseCredentials() const
{
    std::vector<std::shared_ptr<NXHTTPRequest>> found;
    if (!request_) return found;
    // Proxy credentials belong to the proxy; server credentials to the site.
    auto samePlace = [&](const NXHTTPRequest& r) {
        if (type_ == Proxy)
            return r.proxyHost() == request_->proxyHost() && r.proxyPort() == request_->proxyPort() &&
                   sameRealm(r.proxyAuthenticationRealm(), request_->proxyAuthenticationRealm());
        auto a = r.url(), b = request_->url();
        return a && b && a->host() == b->host() && a->port() == b->port() && a->scheme() == b->scheme() &&
               sameRealm(r.authenticationRealm(), request_->authenticationRealm());
    };
    for (const auto& r : waiting())
        if (r != request_ && r->authenticationNeeded() == request_->authenticationNeeded() && samePlace(*r)) found.push_back(r);
    found.push_back(request_);
    return found;
}

// ---- Keyboard and rotation ------------------------------------------------------------

void NXAuthenticationDialog::keyboardWillShow(const id& notification)
{
    if (onTablet() || !tableView_) return;
    auto* n = dynamic_cast<NSNotification*>(notification.get());
    if (!n) return;
    auto it = n->userInfo().find(UIKeyboardFrameEndUserInfoKey);
    auto* frame = it == n->userInfo().end() ? nullptr : dynamic_cast<NSBox<CGRect>*>(it->second.get());
    if (!frame) return;
    const UIEdgeInsets insets = UIEdgeInsetsMake(0, 0, frame->value.size.height, 0);
    tableView_->contentInset = insets;
    tableView_->scrollIndicatorInsets = insets;
}

void NXAuthenticationDialog::orientationChanged(const id&)
{
    if (onTablet()) return;
    showTitle();
    const UIInterfaceOrientation o = UIApplication::sharedApplication().statusBarOrientation();
    CGFloat angle = 0;
    if (o == UIInterfaceOrientationPortraitUpsideDown) angle = M_PI;
    else if (o == UIInterfaceOrientationLandscapeRight) angle = M_PI / 2;
    else if (o == UIInterfaceOrientationLandscapeLeft) angle = -M_PI / 2;
    CGRect frame = UIScreen::mainScreen().applicationFrame();
    if (o == UIInterfaceOrientationLandscapeRight || o == UIInterfaceOrientationLandscapeLeft)
        std::swap(frame.size.width, frame.size.height);
    auto v = view();
    const CGAffineTransform previous = v->transform();
    v->setTransform(CGAffineTransformIdentity);
    v->setFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
    v->setTransform(previous);
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kRotationDuration);
    v->setTransform(CGAffineTransformMakeRotation(angle));
    const CGRect now = v->frame();
    v->setFrame(CGRectMake(frame.origin.x, frame.origin.y, now.size.width, now.size.height));
    UIView::commitAnimations();
}

// ---- The form ---------------------------------------------------------------------------

NSString NXAuthenticationDialog::scheme() const
{
    if (!request_) return NSString();
    return type_ == Proxy ? request_->proxyAuthenticationScheme() : request_->authenticationScheme();
}

bool NXAuthenticationDialog::usesNTLM() const { return scheme() == kCFHTTPAuthenticationSchemeNTLM; }

UITextField* NXAuthenticationDialog::textFieldInRow(NSInteger row, NSInteger section) const
{
    if (!tableView_) return nullptr;
    auto cell = tableView_->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, section));
    if (!cell) return nullptr;
    // The content view also holds the cell's own (empty) labels.
    for (const auto& v : cell->contentView()->subviews())
        if (auto* field = dynamic_cast<UITextField*>(v.get())) return field;
    return nullptr;
}

std::optional<NSInteger> NXAuthenticationDialog::numberOfSectionsInTableView(UITableView*) { return usesNTLM() ? 2 : 1; }

NSInteger NXAuthenticationDialog::tableView_numberOfRowsInSection(UITableView*, NSInteger section) { return section == 0 ? 2 : 1; }

std::shared_ptr<UITableViewCell> NXAuthenticationDialog::tableView_cellForRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, NSString());
    cell->selectionStyle = UITableViewCellSelectionStyleNone;
    cell->setBackgroundColor(UIColor::whiteColor());
    UIView* content = cell->contentView();
    auto field = UITextField::initWithFrame(CGRectInset(content->bounds(), kFieldInset, kFieldInset));
    field->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    field->autocapitalizationType = UITextAutocapitalizationTypeNone;
    field->autocorrectionType = UITextAutocorrectionTypeNo;
    if (ip.section == 0 && ip.row == 0) {
        field->placeholder = "User";
    } else if (ip.section == 0 && ip.row == 1) {
        field->placeholder = "Password";
        field->secureTextEntry = true;
    } else {
        field->placeholder = "Domain";
    }
    content->addSubview(field);
    return cell;
}

NSString NXAuthenticationDialog::tableView_titleForHeaderInSection(UITableView*, NSInteger section)
{
    if (section != 0 || !request_) return NSString();
    // The realm of whoever asks: the proxy's for a proxy dialog.
    return type_ == Proxy ? request_->proxyAuthenticationRealm() : request_->authenticationRealm();
}

std::optional<CGFloat> NXAuthenticationDialog::tableView_heightForHeaderInSection(UITableView*, NSInteger section)
{
    if (section != 0) return 0;
    return onTablet() ? 54 : 30;
}

NSString NXAuthenticationDialog::tableView_titleForFooterInSection(UITableView* tv, NSInteger section)
{
    if (section != numberOfSectionsInTableView(tv).value_or(1) - 1 || !request_) return NSString();
    // Basic sends the password readable by anyone on the way: to a proxy
    // always (it is spoken to in plain HTTP), to a server unless over https.
    bool clear = scheme() == kCFHTTPAuthenticationSchemeBasic;
    if (clear && type_ == Server) clear = !request_->url() || request_->url()->scheme() != "https";
    return clear ? "Password will be sent in the clear." : "Password will be sent securely.";
}

std::optional<CGFloat> NXAuthenticationDialog::tableView_heightForFooterInSection(UITableView* tv, NSInteger section)
{
    return section == numberOfSectionsInTableView(tv).value_or(1) - 1 ? 30 : 0;
}
