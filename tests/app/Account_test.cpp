// Sign-up, password reset and the forgotten password against the double.

#include "app/FindPassViewController.h"
#include "app/RegistViewController.h"
#include "protocol/Constant.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

// A flashed message fades for 1.5 s and covers the screen meanwhile.
constexpr NSTimeInterval kHudFade = 2;

class AccountTest : public AppTest {
protected:
    std::string lastCode() const
    {
        std::string code;
        for (const auto& e : service.exchanges())
            if (e.type == "RQValidateCode") code = e.message.substr(e.message.find("<ValidateCode>") + 14, 6);
        return code;
    }
    void fillPasswords(RegistViewController* form, const char* pass)
    {
        driver.type(form->password.get(), pass);
        driver.type(form->password1.get(), pass);
        form->textFieldShouldReturn(form->password1.get());
    }
    LoginViewController* loginWithoutOffer()
    {
        LoginViewController* screen = launchToLogin();
        driver.pressAlertButton(1);
        return screen;
    }
};

TEST_F(AccountTest, SignUpWithTheCodeFromTheSmsThenLogInWithTheNewAccount)
{
    LoginViewController* screen = loginWithoutOffer();
    driver.tap(screen->btnSignUp.get());
    RegistViewController* form = screen->registScreen();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->signUpMode());
    driver.type(form->username.get(), "13912345678");
    fillPasswords(form, "family8");
    driver.tap(form->btnGetValidateCode.get());
    ASSERT_EQ(exchangesOf("RQValidateCode"), 1u);
    EXPECT_NE(service.exchanges().back().message.find("<Type>0</Type>"), std::string::npos);
    EXPECT_TRUE(hudSaying("signup_waitformessage"));
    EXPECT_EQ(Constant::verificationCode(), NSString(lastCode()));
    driver.advanceClock(kHudFade);

    driver.type(form->randomNumber.get(), "000000");
    driver.tap(form->btnOk.get());
    EXPECT_TRUE(hudSaying("signup_validatecodeerr"));
    EXPECT_EQ(exchangesOf("ADUserInfo"), 0u);
    driver.advanceClock(kHudFade);
    form->randomNumber->setText(NSString(lastCode()));
    driver.tap(form->btnOk.get());
    ASSERT_TRUE(waitForHud("signup_registsuccesses"));
    EXPECT_EQ(exchangesOf("ADUserInfo"), 1u);
    EXPECT_FALSE(Constant::isLogin());
    driver.advanceClock(1.9);
    EXPECT_EQ(login(), screen);
    driver.advanceClock(0.1);
    LoginViewController* fresh = login();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, screen);

    typeLogin(fresh, "13912345678", "family8");
    EXPECT_TRUE(driver.pumpUntil([&] { return fresh->equipSelecter() != nullptr; }));
}

TEST_F(AccountTest, ResetThePasswordThenLogInWithIt)
{
    loginWithoutOffer();
    EquipSelectController* chooser = logIn();
    driver.tapBarButtonItem(chooser->btnLogout.get());
    driver.pressAlertButton(0);
    driver.pressAlertButton(1);  // the help offer again
    LoginViewController* screen = login();
    driver.tap(screen->btnResetPass.get());
    RegistViewController* form = screen->registScreen();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->resetMode());
    EXPECT_EQ(form->username->text(), NSString(apptest::kDemoUser));
    fillPasswords(form, "newpass1");
    driver.tap(form->btnGetValidateCode.get());
    EXPECT_NE(service.exchanges().back().message.find("<Type>1</Type>"), std::string::npos);
    EXPECT_TRUE(hudSaying("signup_waitformessage"));
    driver.advanceClock(kHudFade);
    driver.type(form->randomNumber.get(), NSString(lastCode()));
    driver.tap(form->btnOk.get());
    ASSERT_TRUE(waitForHud("signup_passeditsuccesses"));
    driver.advanceClock(1);
    LoginViewController* fresh = login();
    ASSERT_NE(fresh, screen);

    typeLogin(fresh, apptest::kDemoUser, apptest::kDemoPassword);
    ASSERT_TRUE(waitForHud("login_usernameorpasserr"));
    driver.advanceClock(2);
    EXPECT_NE(logIn("newpass1"), nullptr);
}

// On a fresh install no code was ever drawn: the stored code and the untouched
// code field are both nil, and that is no match in either mode.
TEST_F(AccountTest, SendWithoutAskingForACodeIsRefusedInBothModes)
{
    LoginViewController* screen = loginWithoutOffer();
    for (UIButton* opener : {screen->btnSignUp.get(), screen->btnResetPass.get()}) {
        ASSERT_TRUE(Constant::verificationCode().isNil());
        driver.tap(opener);
        RegistViewController* form = screen->registScreen();
        ASSERT_NE(form, nullptr);
        form->username->setText(NSString());
        driver.type(form->username.get(), "13912345678");
        fillPasswords(form, "family8");
        driver.tap(form->btnOk.get());
        EXPECT_TRUE(hudSaying("signup_validatecodeerr"));
        driver.advanceClock(kHudFade);
        driver.tap(form->btnCancel.get());
        driver.advanceClock(1);
    }
    EXPECT_EQ(exchangesOf("ADUserInfo"), 0u);
    EXPECT_EQ(exchangesOf("UDPassword"), 0u);
}

TEST_F(AccountTest, CodeRequestOutcomesAndTheNumberCut)
{
    LoginViewController* screen = loginWithoutOffer();
    driver.tap(screen->btnSignUp.get());
    RegistViewController* form = screen->registScreen();
    // A number that has an account already.
    driver.type(form->username.get(), apptest::kDemoUser);
    driver.tap(form->btnGetValidateCode.get());
    EXPECT_TRUE(hudSaying("signup_hasaccount"));
    const NSString refusedCode = Constant::verificationCode();
    EXPECT_EQ(refusedCode, NSString(lastCode()));  // stored although refused
    driver.advanceClock(kHudFade);
    // A "-1" in sign-up mode flashes an empty text.
    service.reply("RQValidateCode", "<Code>-1</Code>");
    driver.tap(form->btnGetValidateCode.get());
    EXPECT_TRUE(hudSaying(""));
    driver.advanceClock(kHudFade);

    // Typing a 12th digit cuts the number back to 11.
    driver.type(form->username.get(), "9");
    EXPECT_EQ(form->username->text(), NSString(apptest::kDemoUser));
    // A character outside the basic plane is never cut in half.
    form->username->setText(NSString("1234567890"));
    driver.type(form->username.get(), NSString("\U0001F600"));
    EXPECT_EQ(form->username->text(), NSString("1234567890"));
    EXPECT_EQ(RegistViewController::stringLength(NSString("ab")), 2);
    EXPECT_EQ(RegistViewController::stringLength(NSString("\u4e2d")), 2);
    EXPECT_EQ(RegistViewController::stringLength(NSString("\u4e00")), 1);
}

TEST_F(AccountTest, ForgottenPasswordOutcomes)
{
    struct Case {
        const char* body;  // nullptr: the demo reply ("0")
        const char* alert;
        bool leaves;
    };
    for (const Case& c : {Case{nullptr, "findPassView_prompt", true},
                          Case{"<Code>-1</Code><Desc>no</Desc>", "serviceBackMessage_failed", false},
                          Case{"<Code>-1</Code>", "findPassView_lost", false}}) {
        SCOPED_TRACE(c.alert);
        if (c.body) service.reply("RQPassword", c.body);
        LoginViewController* screen = login() ? login() : loginWithoutOffer();
        screen->userNameTextField->setText("");
        driver.tap(screen->btnForgotPass.get());
        EXPECT_TRUE(alertSays("login_usernameempty"));
        driver.pressAlertButton(0);
        screen->userNameTextField->setText(apptest::kDemoUser);
        driver.tap(screen->btnForgotPass.get());
        FindPassViewController* find = screen->findPassScreen();
        ASSERT_NE(find, nullptr);
        EXPECT_EQ(find->phone(), NSString(apptest::kDemoUser));
        driver.tap(find->btnRequest.get());
        ASSERT_TRUE(driver.pumpUntil([&] { return alertSays(c.alert); }));
        EXPECT_EQ(find->view()->superview() == nullptr, c.leaves);
        driver.pressAlertButton(0);
        if (!c.leaves) driver.tap(find->btnBack.get());
    }
}

}  // namespace
