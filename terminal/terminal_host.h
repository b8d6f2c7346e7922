// The host on a terminal (terminal_host.cpp).
#pragma once

#include "platform/host.h"

namespace kalix {

// The terminal host: the host of a program that installs no other.
Host& terminalHost();

// Ctrl-C becomes the Escape key; broken pipes do not end the program.
void installInterruptHandler();
// From any thread: the program on a terminal is to end (a computation stops
// as with Ctrl-C, line input ends).
void requestTerminalQuit();

}  // namespace kalix
