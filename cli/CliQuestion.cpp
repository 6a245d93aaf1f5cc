#include "CliQuestion.h"

#include "CancelRequest.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace {
const int POLL_MS = 100;

// Waiting in poll() rather than read(): poll returns at a signal whatever the handler's restart
// setting, so the stop request is seen at once.
bool ReadAnswerLine(QByteArray &line)
{
    for (;;) {
        if (CancelRequested())
            return false;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, POLL_MS);
        if (ready < 0 && errno != EINTR)
            return true;
        if (ready <= 0)
            continue;
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || byte == '\n')
            return true;
        line += byte;
    }
}
} // namespace

bool CliOnTerminal()
{
    return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
}

ETerminalAnswer AskOnTerminal(const char *question)
{
    std::fprintf(stderr, "%s", question);
    std::fflush(stderr);
    QByteArray line;
    if (!ReadAnswerLine(line)) {
        // The next message starts on a line of its own, after the terminal's "^C".
        std::fprintf(stderr, "\n");
        return ANSWER_CANCELLED;
    }
    const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
    return answer == "y" || answer == "yes" ? ANSWER_YES : ANSWER_NO;
}
