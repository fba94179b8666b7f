// lmr2png: renders one frame of a movie into a PNG picture.
#include <iostream>
#include <string>
#include <vector>

#include "tools/lmr2png/lmr2png_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return lmr::lmr2png::runCommand(args, std::cout, std::cerr);
}
