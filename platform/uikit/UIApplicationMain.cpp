#include "platform/uikit/UIApplicationMain.h"

#include <atomic>

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIViewController.h"

namespace {

std::atomic<bool> terminated{false};
std::atomic<int> exitStatus{0};

NSString mainInterfaceName()
{
    const PlistValue name = NSBundle::mainBundle()->infoDictionary().objectForKey("NSMainNibFile");
    return name.string() && name.string()->length() > 0 ? *name.string() : NSString("MainWindow");
}

}  // namespace

void NXApplicationLaunch(const NSString& delegateClassName)
{
    UIApplication& app = UIApplication::sharedApplication();
    const NSString nib = mainInterfaceName();
    if (UINib::exists(nib)) app.mainInterfaceObjects = UINib::loadNibNamed(nib, &app);
    if (!delegateClassName.isNil()) {
        if (auto make = NSClassFromString(delegateClassName)) {
            id made = make();
            app.mainInterfaceObjects.push_back(made);
            app.delegate = std::dynamic_pointer_cast<UIApplicationDelegate>(made);
        }
    }
    auto delegate = app.delegate.lock();
    if (!delegate)
        throw NSException("NSInternalInconsistencyException", "no application delegate: neither the main interface file \"" +
                                                                  nib.str() + "\" nor a delegate class gives one");
    delegate->application_didFinishLaunchingWithOptions(&app, nullptr);
}

void NXApplicationTerminate(int status)
{
    exitStatus = status;
    terminated = true;
    NSRunLoop::mainRunLoop()->wakeUp();
}

int UIApplicationMain(int argc, char** argv, const NSString& principalClassName, const NSString& delegateClassName)
{
    terminated = false;
    NXApplicationLaunch(delegateClassName);
    NSRunLoop::mainRunLoop()->runUntil([] { return terminated.load(); }, NSClock::distantFuture);
    return exitStatus;
}
