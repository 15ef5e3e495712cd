#include "framework/object/application.h"

CApplication gApp;

CApplication::CApplication() noexcept : settings(DefaultAppSettings()) {}

void InstallAppTexts(TextRecord* productTable) noexcept {
  gApp.texts.InitTextTable();
  (void)gApp.texts.SetTextTable(0, productTable);  // slot 0 always exists
  SetAppTextTable(&gApp.texts);
}

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
