#pragma once
// Program start as the platform runs it: UIApplicationMain loads the main
// interface file, hands the launch to the application delegate and runs the
// main run loop.
//
// The main interface file is the interface file (UINib) named by the bundle's
// Info.plist under "NSMainNibFile" ("MainWindow" when there is none). Its
// owner is the shared application; it creates the window, the delegate and
// whatever controllers the delegate's outlets name, sets the application's
// delegate and returns them as its top-level objects, which the application
// keeps for the life of the process.

#include "platform/uikit/UIApplication.h"

// Launches (NXApplicationLaunch), then runs the main run loop until
// NXApplicationTerminate; returns the status given there.
int UIApplicationMain(int argc, char** argv, const NSString& principalClassName, const NSString& delegateClassName);

// The launch half of UIApplicationMain, for a program that drives the run loop
// itself (the headless tour, the tests): loads the main interface file, makes
// a delegate of the named class when one is named (NSClassFromString), and
// calls application_didFinishLaunchingWithOptions. Throws NSException
// "NSInternalInconsistencyException" when neither the interface file nor the
// class name gives a delegate.
void NXApplicationLaunch(const NSString& delegateClassName);

// Makes the run of UIApplicationMain return with the status. Thread-safe.
void NXApplicationTerminate(int status);
