#include "CliJson.h"

#include <QJsonDocument>

#include <cstdio>

void PrintCliJson(const QJsonObject &object)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}
