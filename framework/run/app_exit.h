// The application's exit, the last call of the program's entry.
#pragma once

// The program's shut-down could not end a worker that writes into the data
// folder in the time it gave it: the application's exit then keeps the mark
// of the running instance, and the system gives it up when the process ends,
// so that no new or relaunched instance starts beside that worker.
void KeepInstanceMarkUntilProcessEnds() noexcept;

// The application's exit: destroys the framework's windows (saving the
// state, with no box for a save that fails: the program quits), waits a
// bounded time for record writes of other threads still under way, gives up
// the mark of the running instance (or keeps it, above),
// ends OLE, asks the other instances to restart when that was requested,
// relaunches the program when a restart was requested, and frees the
// application object's lists and theme. Called once by the program's entry
// after its own clean-up, never from a destructor.
void AppExit() noexcept;
