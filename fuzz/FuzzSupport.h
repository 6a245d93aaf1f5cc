#pragma once

#include "Messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// Messages go nowhere: a run would otherwise show one for most inputs.
inline void SilenceMessages()
{
    class CSilentPresenter : public CMessagePresenter {
    public:
        void Present(const QString &) override {}
    };
    static CSilentPresenter presenter;
    SetMessagePresenter(&presenter);
}

// For targets whose code needs an application object (timers, QSettings); made once.
inline void StartFuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *application = new QCoreApplication(argc, argv);
    (void)application;
}

// A file in a folder of the run's own, for outputs and for inputs that must come from a file.
inline QString FuzzFilePath(const char *name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

// The input as the whole content of that file; an empty path when it could not be written.
inline QString WriteFuzzInput(const char *name, const uint8_t *data, size_t size)
{
    const QString path = FuzzFilePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return QString();
    return path;
}
