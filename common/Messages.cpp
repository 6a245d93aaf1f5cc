#include "Messages.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

class CStderrPresenter : public CMessagePresenter {
public:
    void Present(const QString &text) override { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }
};

CStderrPresenter g_stderrPresenter;
std::atomic<CMessagePresenter *> g_presenter{&g_stderrPresenter};

const char *const g_resultTexts[] = {
    "Successful !",      "Device not open !",   "Device not support !",    "Read data failed!",
    "Read data failed!", "Checksum error!",     "Space not enough!",       "File too large!",
    "Space not enough!", "FLASH erase failed!", "File info erase failed!",
};

} // namespace

CMessagePresenter *SetMessagePresenter(CMessagePresenter *presenter)
{
    return g_presenter.exchange(presenter ? presenter : &g_stderrPresenter);
}

void ShowMessage(const QString &text)
{
    g_presenter.load()->Present(text);
}

void ShowMessageF(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    ShowMessage(text);
}

QString ResultText(int32_t result)
{
    if (result == RESULT_CANCELLED)
        return QStringLiteral("Cancelled");
    if (result == RESULT_STORED_NO_ANSWER)
        return QStringLiteral("The song was stored, but the looper stopped answering: unplug it, plug it "
                              "back in, then look at the song list");
    if (result == RESULT_SHARED_BLOCKS)
        return QStringLiteral("Shares its audio with another slot; repair it first");
    const uint32_t index = static_cast<uint32_t>(result);
    if (index > static_cast<uint32_t>(RESULT_FILE_INFO_ERASE_FAILED))
        return QStringLiteral("Failed !");
    return QString::fromLatin1(g_resultTexts[index]);
}

void ShowResult(int32_t result)
{
    ShowMessage(ResultText(result));
}
