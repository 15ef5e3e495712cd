#include "services/update/update_check.h"

// Nothing to test yet: no update check exists to be due.
void CheckForUpdateIfDue() noexcept {}
