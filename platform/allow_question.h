// The permission question asked before Kalix starts something that may do
// anything on the user's machine: a child process, a user library, the
// Python bridge. The host asks it (askAllowDialog in platform/host.h: the
// terminal's question is refused when nobody is at a terminal); with the
// setting "askexec" 0 nothing is asked.
#pragma once

namespace kalix {

// The answers of askAllowDialog.
enum AllowAnswer { allowYes = 1, allowNo = 2, allowUntilRestart = 3 };

// Whether the start is allowed: without asking when "askexec" is 0 or
// `*allowedUntilRestart` is set; else by the host's question, whose third
// answer sets `*allowedUntilRestart`.
bool askAllowed(const char* question, int* allowedUntilRestart);

}  // namespace kalix
