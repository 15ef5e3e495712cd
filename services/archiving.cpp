#include "services/archiving.h"

// Nothing to test yet: no archive schedule exists to be due.
void ArchiveIfDue() noexcept {}
