#include "CliOutputFile.h"

#include "CFileReplacement.h"

#include <QFileInfo>

#include <cstdio>

bool CliOutputFileAllowed(const SCliOptions &options, const QString &strPath)
{
    const QByteArray name = strPath.toUtf8();
    QString reason;
    if (!CFileReplacement::CanReplace(strPath, reason)) {
        std::fprintf(stderr, "brindle-cli: cannot write '%s': %s\n", name.constData(),
                     reason.toUtf8().constData());
        return false;
    }
    if (options.force || !QFileInfo::exists(strPath))
        return true;
    std::fprintf(stderr, "brindle-cli: '%s' exists; add --force to replace it\n", name.constData());
    return false;
}
