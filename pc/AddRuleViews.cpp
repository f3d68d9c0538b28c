#include "pc/AddRuleViews.h"

#include "app/AppText.h"
#include "app/PCTimeCommon.h"
#include "app/ScreenParts.h"
#include "protocol/Constant.h"
#include "protocol/UserRule.h"

namespace {

std::shared_ptr<UILabel> prompt(UIView* parent, CGRect frame)
{
    auto l = whiteLabel(frame, 15);
    parent->addSubview(l);
    return l;
}

std::shared_ptr<UITextField> field(UIView* parent, CGRect frame)
{
    auto f = UITextField::initWithFrame(frame);
    f->borderStyle = UITextBorderStyleRoundedRect;
    f->setBackgroundColor(UIColor::whiteColor());
    f->autocapitalizationType = UITextAutocapitalizationTypeNone;
    parent->addSubview(f);
    return f;
}

std::shared_ptr<UIButton> button(UIView* parent, CGRect frame, const id& owner, SEL action)
{
    auto b = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    b->setFrame(frame);
    b->addTarget(owner, std::move(action), UIControlEventTouchUpInside);
    parent->addSubview(b);
    return b;
}

// Opaque: the rows of the screen it lies over must not show through as
// ghost text.
std::shared_ptr<UIView> formView(CGFloat height)
{
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, height));
    view->setBackgroundColor(UIColor::colorWithRed(0.12, 0.14, 0.19, 1));
    return view;
}

// The web form: the prompt, the address field, back and add.
const bool kUrlNib = (UINib::registerNib("AddUrlViewController", [](NSObject* owner) {
    auto* form = dynamic_cast<AddUrlViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = formView(160);
    form->lblTitle = prompt(view.get(), CGRectMake(20, 15, 280, 24));
    form->newURL = field(view.get(), CGRectMake(20, 48, 280, 31));
    form->btnBack = button(view.get(), CGRectMake(20, 100, 130, 37), self, NX_SEL(AddUrlViewController, goBack));
    form->btnAdd = button(view.get(), CGRectMake(170, 100, 130, 37), self, NX_SEL(AddUrlViewController, addUrl));
    return std::vector<id>{view};
}), true);

// The program form: three prompts with their fields, add and back.
const bool kSoftNib = (UINib::registerNib("AddSoftViewController", [](NSObject* owner) {
    auto* form = dynamic_cast<AddSoftViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = formView(230);
    form->lblName = prompt(view.get(), CGRectMake(20, 15, 90, 31));
    form->gameName = field(view.get(), CGRectMake(110, 15, 190, 31));
    form->lblProcess = prompt(view.get(), CGRectMake(20, 60, 90, 31));
    form->procName = field(view.get(), CGRectMake(110, 60, 190, 31));
    form->lblCompany = prompt(view.get(), CGRectMake(20, 105, 90, 31));
    form->author = field(view.get(), CGRectMake(110, 105, 190, 31));
    form->btnAdd = button(view.get(), CGRectMake(20, 165, 130, 37), self, NX_SEL(AddSoftViewController, addSoft));
    form->btnBack = button(view.get(), CGRectMake(170, 165, 130, 37), self, NX_SEL(AddSoftViewController, goBack));
    return std::vector<id>{view};
}), true);

// A program row: its name above its process file.
const bool kCellNib = (UINib::registerNib("SoftWareCell", [](NSObject*) {
    auto cell = UITableViewCell::initWithStyle<SoftWareCell>(UITableViewCellStyleDefault, "SoftWareCell");
    cell->gameNameLabel = prompt(cell->contentView(), CGRectMake(10, 2, 300, 22));
    cell->procNameLabel = prompt(cell->contentView(), CGRectMake(10, 22, 300, 20));
    cell->procNameLabel->textColor = UIColor::lightGrayColor();
    return std::vector<id>{cell};
}), true);

std::shared_ptr<UIAlertView> askForAnother(const char* title, const char* message, const char* yes, const char* no,
                                           const std::shared_ptr<UIAlertViewDelegate>& delegate)
{
    auto alert = UIAlertView::initWithTitle(L(title), L(message), delegate, NSString(), {L(yes), L(no)});
    alert->show();
    return alert;
}

}  // namespace

void AddUrlViewController::viewDidLoad()
{
    lblTitle->setText(L("addUrlviewctrl_inputweburl"));
    btnBack->setTitle(L("addUrlviewctrl_back"), UIControlStateNormal);
    btnAdd->setTitle(L("addUrlviewctrl_add"), UIControlStateNormal);
    newURL->becomeFirstResponder();
}

void AddUrlViewController::addUrl(const id&)
{
    const NSString typed = newURL->text();
    // An address that is nothing but "www." is as empty as no address.
    const NSString address = typed.isNil() ? NSString("") : typed.stringByReplacingOccurrencesOfString("www.", "");
    if (address.length() == 0) {
        Constant_alert(L("addUrlviewctrl_notempty"), nullptr);
        return;
    }
    auto reply = UserUrlRule::init()->ADUrlRuleSelf({address});
    if (!reply || reply->code().isNil()) {
        Constant_alert(L("addUrlviewctrl_linkerr"), nullptr);
        return;
    }
    if (reply->code() != "0") return;
    if (auto host = delegate.lock()) host->insertCell(address);
    askForAnother("addUrlviewctrl_info", "addUrlviewctrl_addsuccess", "addUrlviewctrl_yes", "addUrlviewctrl_no",
                  std::static_pointer_cast<AddUrlViewController>(shared_from_this()));
}

void AddUrlViewController::goBack(const id&)
{
    std::weak_ptr<AddUrlViewControllerDelegate> host = delegate;
    NSThread::performBlockOnMainThread([host] {
        if (auto h = host.lock()) h->reload(nullptr);
    }, false);
    view()->removeFromSuperview();
}

void AddUrlViewController::alertView_clickedButtonAtIndex(UIAlertView*, NSInteger index)
{
    if (index == 1) goBack(nullptr);
}

void AddSoftViewController::viewDidLoad()
{
    lblName->setText(L("addsoftviewctrl_name"));
    lblProcess->setText(L("addsoftviewctrl_process"));
    lblCompany->setText(L("addsoftviewctrl_company"));
    btnAdd->setTitle(L("addsoftviewctrl_add"), UIControlStateNormal);
    btnBack->setTitle(L("addsoftviewctrl_back"), UIControlStateNormal);
}

void AddSoftViewController::addSoft(const id&)
{
    const NSString name = gameName->text().isNil() ? NSString("") : gameName->text();
    if (name.stringByReplacingOccurrencesOfString(" ", "").length() == 0) {
        Constant_alert(L("addsoftviewctrl_empty"), nullptr);
        return;
    }
    auto rule = std::make_shared<UserGameRuleMessage>();
    rule->setGameName(name);
    rule->setProcName(procName->text());
    rule->setAuthor(author->text());
    rule->setUpdateTime(Constant::currentTime());
    auto reply = UserGameRule::init()->ADGameRuleSelf({rule});
    if (reply && reply->code() == "0") {
        askForAnother("addsoftviewctrl_info", "addsoftviewctrl_addsuccess", "addsoftviewctrl_yes", "addsoftviewctrl_no",
                      std::static_pointer_cast<AddSoftViewController>(shared_from_this()));
        return;
    }
    Constant_alert(reply && !reply->desc().isNil() ? reply->desc() : NSString(""), nullptr);
}

void AddSoftViewController::goBack(const id&) { view()->removeFromSuperview(); }

void AddSoftViewController::alertView_clickedButtonAtIndex(UIAlertView*, NSInteger index)
{
    if (index == 1) goBack(nullptr);
}
