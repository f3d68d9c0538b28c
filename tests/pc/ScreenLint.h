#pragma once
// The screen lint's findings as lines, for a test to hold against what the
// screen should show (usually nothing): over the whole tree under root, or
// only those about views inside `within` (one screen's own views, leaving
// out the bars around it).

#include <string>
#include <vector>

#include "platform/testing/NXScreenLint.h"

inline std::vector<std::string> lintFindings(UIView* root, const UIView* within = nullptr)
{
    std::vector<std::string> out;
    for (const auto& finding : NXLintViewTree(root))
        if (!within || (finding.view && finding.view->isDescendantOfView(within))) out.push_back(NXLintDescription(finding));
    return out;
}
