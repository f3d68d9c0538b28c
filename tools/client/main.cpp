// The client: the application's main interface and delegate take over.
#include "platform/uikit/UIApplicationMain.h"

int main(int argc, char** argv) { return UIApplicationMain(argc, argv, NSString(), NSString()); }
