#pragma once

#include "ResultCodes.h"

#include <QString>

#include <cstdint>

// Where user messages end up: the window shows a box, the command-line tool writes to stderr,
// tests record them. The program installs one presenter at start.
class CMessagePresenter {
public:
    virtual ~CMessagePresenter() = default;
    virtual void Present(const QString &text) = 0;
};

// Installs the presenter used by the message functions (not owned; null restores the default,
// which writes to stderr). Returns the previous one.
CMessagePresenter *SetMessagePresenter(CMessagePresenter *presenter);

void ShowMessage(const QString &text);
// printf-style; the format and every %s argument are UTF-8.
void ShowMessageF(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void ShowResult(int32_t result);

// The text that ShowResult shows for a result code.
QString ResultText(int32_t result);
