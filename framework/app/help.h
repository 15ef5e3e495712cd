// Help: the compiled help file opened at a topic.
#pragma once

#include <windows.h>

enum class HelpResult : int {
  kStarted = 0,      // the viewer was started at the topic
  kNotHelpFile = 1,  // the name holds no ".chm"; nothing is shown
  kNoViewer = 2,     // no program is registered for the file
  kNoFile = 3,       // the file exists neither as named nor in the program folder
  kNotStarted = 4,   // the viewer could not be started
};

// Opens the compiled help file at a topic (empty or null: its start page).
// A file that does not exist as named is looked for in the program folder.
// Every failure but kNotHelpFile is also shown in a message box.
HelpResult ShowHelpTopic(const char* file, const char* topic) noexcept;
