#pragma once
// A screen's lint, in the manner of the mobile platforms' accessibility
// checks: run over a view tree as the screen shows it (the key window, or
// one view), it reports what a user would stumble on.
//
// - "cut text": a label (a button's title is one) whose text does not fit
//   it, after any shrinking it asks for, or that a clipping view cuts off;
//   text a scroll view hides is not counted, the user scrolls to it.
// - "contrast": text whose ink differs from what is drawn behind it by a
//   contrast ratio under 3:1 (the relative-luminance ratio of the web's
//   accessibility guidelines).
// - "outside": a control that reaches past the root's bounds (the window),
//   unless it sits in a scroll view.
// - "covered": a control whose middle a touch does not reach, because
//   another view (the tab bar, another control) takes it; not when a modal
//   view takes it (an alert, a sheet, a view over the whole of the view it
//   lies on, such as a HUD or a dimming layer), which locks it on purpose.
// - "drew nothing": a control or picker that puts no pixel on the screen;
//   a custom button with no title, image or background is a tap area over
//   something else's drawing and is not counted.
// - "covered text": a label in a table row whose ink a control of the same
//   row drawn after it paints over (a count under the disclosure button).
// - "no colour": a control the design gives a colour (a segmented control's
//   or tinted bar button's tint, a button's title colour) whose face shows
//   none of it.
// - "stretched cap": an image view's stretchable image drawn in less room
//   than its caps, or whose left cap does not keep its size as drawn
//   (rounded ends and pointers smeared).
//
// Hidden views and what is inside them are left out, and so is what lies
// under an alert or sheet, or under the last view that covers the whole root
// and takes touches (a screen over another, a HUD's dimming layer). Text and
// controls that a view drawn later covers (an alert, a sheet, a HUD's box, a
// picker's panel, at least 40% opaque) are not what the user sees there:
// only the part left uncovered is measured.

#include <string>
#include <vector>

#include "platform/uikit/UIView.h"

struct NXLintFinding {
    std::string rule;    // "cut text", "contrast", "outside", "covered", "drew nothing", "covered text", "no colour", "stretched cap"
    std::string detail;  // the view's class and text, and what was measured
    UIView* view = nullptr;
};

std::vector<NXLintFinding> NXLintViewTree(UIView* root);

// "rule: detail", one line.
std::string NXLintDescription(const NXLintFinding& finding);
