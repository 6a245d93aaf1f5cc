#include "CFirmwarePackage.h"
#include "Messages.h"

#include <QTemporaryDir>

namespace {
class CSilentPresenter : public CMessagePresenter {
public:
    void Present(const QString &) override {}
};
} // namespace

// A package file of arbitrary bytes: open it, then read every item's layout text and image.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CSilentPresenter presenter;
    static QTemporaryDir *dir = [] {
        SetMessagePresenter(&presenter);
        return new QTemporaryDir;
    }();
    const QString path = dir->filePath("fuzz.dat");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    static CFirmwarePackage package;
    package.Reset();
    if (!package.Open(path))
        return 0;
    package.DeviceId();
    for (uint32_t i = 0; i < package.ItemCount(); ++i) {
        uint32_t length = 0;
        package.LayoutText(i, length);
        package.DecodePayload(i, length);
    }
    return 0;
}
