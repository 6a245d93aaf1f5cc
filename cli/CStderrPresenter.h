#pragma once

#include "CTerminalProgress.h"
#include "Messages.h"

#include <cstdio>

// The command-line tool shows every message the window would show as one line on stderr.
class CStderrPresenter : public CMessagePresenter {
public:
    void Present(const QString &text) override
    {
        CTerminalProgress::EndLine();
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    }
};
