#include "CWave.h"
#include "Messages.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
class CSilentPresenter : public CMessagePresenter {
public:
    void Present(const QString &) override {}
};

void LoadConvertSave(const QString &path, const QString &output, uint32_t rate)
{
    CWave wave;
    if (!wave.Load(path))
        return;
    wave.Convert(rate);
    wave.Save(output);
}
} // namespace

// A WAV file of arbitrary bytes: load it, convert it to both device rates, save the result.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CSilentPresenter presenter;
    static QTemporaryDir *dir = [] {
        SetMessagePresenter(&presenter);
        return new QTemporaryDir;
    }();
    const QString path = dir->filePath("fuzz.wav");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    LoadConvertSave(path, dir->filePath("up.wav"), TARGET_RATE_UPLOAD);
    LoadConvertSave(path, dir->filePath("down.wav"), TARGET_RATE_DOWNLOAD);
    return 0;
}
