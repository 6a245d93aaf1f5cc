#pragma once

#include "Messages.h"

#include <cstdio>

// The command-line tool shows every message the window would show as one line on stderr.
class CStderrPresenter : public CMessagePresenter {
public:
    void Present(const QString &text) override
    {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    }
};
