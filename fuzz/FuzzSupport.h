#pragma once

#include "Messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Messages and debug lines go nowhere: a run would otherwise write some for most inputs, and
// writing them costs more than the code under test.
inline void SilenceMessages()
{
    class CSilentPresenter : public CMessagePresenter {
    public:
        void Present(const QString &) override {}
    };
    static CSilentPresenter presenter;
    SetMessagePresenter(&presenter);
    // A fatal message still says why the run stopped.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
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
