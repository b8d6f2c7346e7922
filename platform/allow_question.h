// The permission question asked before Kalix starts something that may do
// anything on the user's machine: a child process, a user library, the
// Python bridge. The user answers on the terminal; without a terminal the
// answer is no, unless the setting "askexec" is 0 (then nothing is asked).
#pragma once

enum AllowAnswer { allowYes = 1, allowNo = 2, allowUntilRestart = 3 };

// Asks `question` (text in the program's code page) on the terminal when
// standard input is one; returns an AllowAnswer, allowNo without a terminal.
int askAllowQuestion(const char* question);

// Whether the start is allowed: without asking when "askexec" is 0 or
// `*allowedUntilRestart` is set; else by the question, whose third answer
// sets `*allowedUntilRestart`.
bool askAllowed(const char* question, int* allowedUntilRestart);
