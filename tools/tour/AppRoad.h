#pragma once
// What a user does on the app shell's screens, for the tour's steps of every
// area: log in, choose a device, go back to the login.

#include <string>

#include "tools/tour/Tour.h"

class LoginViewController;
class EquipSelectController;

namespace tour {

// The demo account of the service double.
inline const char* const kDemoUser = "13800138000";
inline const char* const kDemoPassword = "demo2012";
// The number of the demo account's phone.
inline const char* const kDemoPhone = "13900139000";

// The login screen on the home tab; Failure when none shows.
LoginViewController* loginScreen(Tour& tour);
// Types the name and password into the login screen and taps log in.
void typeLogin(Tour& tour, const std::string& name, const std::string& password);
// Logs in and waits for the device chooser listing the account's devices.
EquipSelectController* logIn(Tour& tour, const std::string& name = kDemoUser, const std::string& password = kDemoPassword);
// Taps the chooser's row showing the device number; the tab set of its kind follows.
void chooseDevice(Tour& tour, EquipSelectController* chooser, const std::string& number);
// Back to a fresh login screen, as a logout posts it.
void backToLogin(Tour& tour);

}  // namespace tour
