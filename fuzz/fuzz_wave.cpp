#include "CWave.h"
#include "FuzzSupport.h"

namespace {
void LoadConvertSave(const QString &path, const char *output, uint32_t rate)
{
    CWave wave;
    if (!wave.Load(path))
        return;
    wave.Convert(rate);
    wave.Save(FuzzFilePath(output));
}
} // namespace

// A WAV file of arbitrary bytes: load it, convert it to both device rates, save the result.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SilenceMessages();
    const QString path = WriteFuzzInput("fuzz.wav", data, size);
    if (path.isEmpty())
        return 0;
    LoadConvertSave(path, "up.wav", TARGET_RATE_UPLOAD);
    LoadConvertSave(path, "down.wav", TARGET_RATE_DOWNLOAD);
    return 0;
}
