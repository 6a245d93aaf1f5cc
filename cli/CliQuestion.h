#pragma once

// The answer to a question asked on the terminal.
enum ETerminalAnswer : int {
    ANSWER_NO = 0,
    ANSWER_YES = 1,
    // A stop signal (Ctrl-C) came while the question waited.
    ANSWER_CANCELLED = 2,
};

// Whether stdin and stderr are both a terminal: someone is there to answer.
bool CliOnTerminal();
// Writes question to stderr and waits for a line on stdin: "y" or "yes" in any case is yes,
// anything else or the end of the input is no.
ETerminalAnswer AskOnTerminal(const char *question);
