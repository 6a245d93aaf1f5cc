#pragma once

#include <QJsonObject>

// Writes object to stdout as the one JSON document of a --json run.
void PrintCliJson(const QJsonObject &object);
