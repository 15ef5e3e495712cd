// The application's exit, the last call of the program's entry.
#pragma once

// The application's exit: destroys the framework's windows (saving the
// state), gives up the mark of the running instance, ends OLE, asks the
// other instances to restart when that was requested, relaunches the program
// when a restart was requested, and frees the application object's lists and
// theme. Called once by the program's entry after its own clean-up, never
// from a destructor.
void AppExit() noexcept;
