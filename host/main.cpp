// velmora-host: stands in for the charting host, for tests, the demo and
// support work. One invocation is one host session around one command.
#include <cstdio>

#include "host/commands.h"

int main(int argc, char** argv) {
  // Lines appear as they are printed, also through a pipe. (The Windows C
  // runtime buffers a line-buffered stream fully, hence no buffer there.)
#if defined(_WIN32)
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#else
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
#endif
  return RunCommandLine(argc, argv);
}
