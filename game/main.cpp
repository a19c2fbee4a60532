// kumo-battle: two fighters, one keyboard.
#include <string>

#include "game/game_main.h"

// The game takes its command line as one text: the arguments joined by single spaces.
int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return game::GameMain(commandLine.c_str());
}
