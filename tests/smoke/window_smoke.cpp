// A program that opens the library's window and runs until it is closed.
#include "kumo/kumo.h"
#include "kumo/platform/clock.h"

int main() {
  ChangeWindowMode(1);
  if (InitLibrary() == -1) return 1;
  while (ProcessMessage() == 0) kumo::platform::SleepMillis(10);
  EndLibrary();
  return 0;
}
