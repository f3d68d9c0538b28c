#pragma once
// What the time-rule screens share: texts, the HUD pair, reply judgements,
// bar buttons in the application's style and the bodies they write.

#include <memory>

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/MessageExchange.h"
#include "protocol/MessageInfo.h"
#include "protocol/ProtectSetting.h"

// The strings table's text for a key (the application's localized()).
inline NSString L(const char* key) { return localized(key); }

// The HUD of a view: any earlier one goes at once, the new one shows the text.
void addHud(UIView* view, const NSString& text);
// Hides the view's HUD, animated.
void hideHUD(UIView* view);
// Shows the text and hides it again at once.
void flashHud(UIView* view, const NSString& text);

// A command or update went through: code "0".
bool commandSucceeded(const std::shared_ptr<MessageInfo>& reply);
// A time-configuration update went through: code "0" and the description
// "成功" together.
bool timeConfigSucceeded(const std::shared_ptr<MessageInfo>& reply);
// serviceBackMessage_ok or serviceBackMessage_failed.
NSString resultText(bool succeeded);

// A body for the chosen device: the format's first %@ takes "DeviceId", the
// others the values, all escaped; nil while no device is chosen.
template <class... Values>
NSString deviceBody(const char* format, const Values&... values)
{
    return MessageExchange::body(format, MessageExchange::deviceId(), NSString(values)...);
}

// Reads the device's time configuration on a worker thread; the reply (nil
// when none came) goes to the method on the main thread while the receiver lives.
template <class T>
void loadTimeConfig(const std::shared_ptr<T>& receiver,
                    void (T::*apply)(const std::shared_ptr<ProtectSettingReturnMessage>&))
{
    std::weak_ptr<T> weak = receiver;
    NSThread::detachNewThreadWithBlock([weak, apply] {
        auto reply = ProtectSetting::init()->RQTimeConfig();
        NSThread::performBlockOnMainThread([weak, apply, reply] {
            if (auto r = weak.lock()) ((*r).*apply)(reply);
        }, false);
    });
}

// Sends a time-configuration body ("UDTimeConfig") on a worker thread and
// flashes the result on the view while it lives; a type given is stored when
// the service took the change.
void sendTimeConfig(const std::shared_ptr<UIView>& view, const NSString& body, const NSString& typeToStore = NSString());

// A tinted bar button (UIBarButtonItem(Tint)), bordered, of the given width.
std::shared_ptr<UIBarButtonItem> tintedBarItem(std::shared_ptr<UIColor> tint, const NSString& title, const id& target,
                                               SEL action, CGFloat width);
