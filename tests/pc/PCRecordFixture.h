#pragma once
// The world of the home page, record and black-list screen tests: the time
// screens' world with the double also keeping the PCs' status, black lists,
// day records and captures (PCModel), and the PC set's tabs made by name.

#include "app/NavigationBarImage.h"
#include "platform/foundation/NSClassRegistry.h"
#include "tests/pc/PCTimeFixture.h"
#include "tools/service-double/PCModel.h"

class PCRecordFixture : public PCTimeFixture {
protected:
    void SetUp() override
    {
        PCTimeFixture::SetUp();
        model.serve(service);
        // The bars look as the application draws them, with no photo viewer
        // left on screen by an earlier test.
        Constant::setImageView(false);
        UINavigationBar::setDrawHook(UINavigationBar_CustomImage_drawRect);
    }

    void TearDown() override
    {
        UINavigationBar::setDrawHook(nullptr);
        PCTimeFixture::TearDown();
    }

    // The tab screen of that class, made by name as the shell makes it, as
    // the root of its navigation stack.
    template <class T>
    std::shared_ptr<T> showTabNamed(const char* name)
    {
        auto make = NSClassFromString(name);
        EXPECT_TRUE(make);
        auto screen = make ? std::dynamic_pointer_cast<T>(make()) : nullptr;
        EXPECT_NE(screen, nullptr);
        if (!screen) return nullptr;
        nav = UINavigationController::initWithRootViewController(screen);
        driver->show(nav);
        return screen;
    }
    // The screen on top of the navigation stack, when it is a T.
    template <class T>
    T* top() const
    {
        return nav ? dynamic_cast<T*>(nav->topViewController().get()) : nullptr;
    }
    // The BODY of an exchange, from "<BODY>" on.
    static std::string body(const servicedouble::Exchange& e)
    {
        const auto at = e.message.find("<BODY>");
        return at == std::string::npos ? std::string() : e.message.substr(at);
    }

    servicedouble::PCModel model;
};
