#include "framework/app/application.h"

CApplication gApp;

CApplication::CApplication() noexcept : settings(DefaultAppSettings()) {}

int ParseCommandLine(const char* commandLine) {
  CommandLineFlags flags;
  flags.autoStart = gApp.autoStart;
  flags.startMinimized = gApp.startMinimized;
  flags.taskScheduler = gApp.taskScheduler;
  const int result = ParseCommandLine(commandLine, gApp.switches, flags);
  gApp.autoStart = flags.autoStart;
  gApp.startMinimized = flags.startMinimized;
  gApp.taskScheduler = flags.taskScheduler;
  return result;
}
