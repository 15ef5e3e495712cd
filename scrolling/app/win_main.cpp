// Veltrano.exe: scrolls, accelerates and remaps in every other program
// until it is told to quit.
#include <windows.h>

#include "scrolling/app/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  return RunMainProgram(instance, commandLine, showCommand);
}
