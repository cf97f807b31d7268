// poronka-cli: loads a song (MBT or MIDI) and prints it as JSON or saves it
// as MBT, Standard MIDI File or MFi ringtone, without any window.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return poronka::cli::Run(args, std::cout, std::cerr);
}
