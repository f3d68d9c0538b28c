#include "tools/tour/AppRoad.h"

#include "app/EquipSelectController.h"
#include "app/LoginViewController.h"
#include "platform/foundation/NSNotificationCenter.h"

namespace tour {

LoginViewController* loginScreen(Tour& tour)
{
    auto* login = tour.driver.find<UIView>([](UIView& v) { return dynamic_cast<LoginViewController*>(v.viewController()) != nullptr; });
    return static_cast<LoginViewController*>(tour.require(login, "login screen")->viewController());
}

void typeLogin(Tour& tour, const std::string& name, const std::string& password)
{
    LoginViewController* login = loginScreen(tour);
    login->userNameTextField->setText("");
    login->passwordTextField->setText("");
    tour.driver.type(login->userNameTextField.get(), NSString(name));
    tour.driver.type(login->passwordTextField.get(), NSString(password));
    login->textFieldShouldReturn(login->passwordTextField.get());
    tour.driver.tap(login->btnLogin.get());
}

EquipSelectController* logIn(Tour& tour, const std::string& name, const std::string& password)
{
    LoginViewController* login = loginScreen(tour);
    typeLogin(tour, name, password);
    tour.waitFor([&] { return login->equipSelecter() && login->equipSelecter()->gameView() &&
                              !login->equipSelecter()->gameView()->list().empty(); },
                 "the device chooser");
    tour.driver.advanceClock(2);  // the HUD's fade
    return login->equipSelecter();
}

void chooseDevice(Tour& tour, EquipSelectController* chooser, const std::string& number)
{
    EquipListViewController* list = chooser->gameView();
    const auto& rows = list->list();
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row]->typeName() == NSString(number)) {
            list->tableView()->tapRow(NSIndexPath::indexPathForRow(static_cast<NSInteger>(row), 0));
            tour.driver.advanceClock(1);
            return;
        }
    throw Failure("no device " + number + " in the chooser");
}

void backToLogin(Tour& tour)
{
    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    tour.driver.advanceClock(1);
}

}  // namespace tour
