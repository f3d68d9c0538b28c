#pragma once
// The keyboard's notifications. The keyboard comes up when a text field
// becomes first responder and goes down when the field lets go (not when the
// focus moves from one field to another); the user info holds its frames in
// screen coordinates as NSBox<CGRect> under the two frame keys.

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIGeometry.h"

extern const NSString UIKeyboardWillShowNotification;
extern const NSString UIKeyboardWillHideNotification;
extern const NSString UIKeyboardFrameBeginUserInfoKey;
extern const NSString UIKeyboardFrameEndUserInfoKey;

// The keyboard's frame while it is up: the width of the screen, 216 points
// high, at the screen's bottom edge.
CGRect NXKeyboardFrame();
