// The executable's entry point. The start-up code's arguments are ignored:
// the command line is read afresh by RunFromCommandLine.
#include "host/host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { RunFromCommandLine(); }
