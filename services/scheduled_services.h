// The services as the framework runs them (framework/app/app_services.h):
// both due tests, the update check's report to the hidden application window,
// the folder of the scheduled archives that a restore spares, the name that a
// backup proposes, and the archive and update dialogs that the product
// information dialog opens. The program's entry hands them over before
// start-up.
#pragma once

#include "framework/app/app_services.h"

[[nodiscard]] AppServices ScheduledServices() noexcept;
