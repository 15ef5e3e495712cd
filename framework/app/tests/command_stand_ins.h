// What the command-table tests read of the framework window's status texts
// and re-layouts, which the program's own framework window keeps.
#pragma once

#include <string>

class CFrameWindow;

// The hint the window shows (the status text of the item under the mouse),
// empty when none.
std::string HintOf(const CFrameWindow& frame);
// How often the window was laid out again.
int RelayoutCount(const CFrameWindow& frame);
void ForgetFrameStandInState();
