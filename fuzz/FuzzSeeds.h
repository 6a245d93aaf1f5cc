#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Numbers the seed files of one corpus folder.
class CSeedWriter {
public:
    // Makes the folder when it is missing.
    explicit CSeedWriter(const QString &dir);
    void Write(const QByteArray &bytes);
    bool Ok() const { return m_bOk; }

private:
    QString m_strDir;
    int m_nCount = 0;
    bool m_bOk = true;
};

using SeedMaker = std::function<void(CSeedWriter &)>;
// Every fuzz target's seed maker, by target name.
std::map<std::string, SeedMaker> SeedMakers();

// Wire helpers for the link seeds.
QByteArray PackedMessage(const std::vector<uint8_t> &body);
std::vector<uint8_t> ReplyFrame(uint8_t command, const std::vector<uint8_t> &payload);

void MakeLinkReceiveSeeds(CSeedWriter &writer);
void MakeUSBPortReplySeeds(CSeedWriter &writer);
void MakeFirmwarePackageSeeds(CSeedWriter &writer);
void MakeFlashLayoutSeeds(CSeedWriter &writer);
void MakeWaveSeeds(CSeedWriter &writer);
void MakeSongRecordSeeds(CSeedWriter &writer);
