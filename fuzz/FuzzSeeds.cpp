#include "FuzzSeeds.h"

#include "CUSBPort.h"
#include "SevenBitCodec.h"

#include <QDir>
#include <QFile>

CSeedWriter::CSeedWriter(const QString &dir) : m_strDir(dir), m_bOk(QDir().mkpath(dir)) {}

void CSeedWriter::Write(const QByteArray &bytes)
{
    QFile file(QStringLiteral("%1/seed-%2").arg(m_strDir).arg(++m_nCount, 4, 10, QChar('0')));
    m_bOk = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && m_bOk;
}

QByteArray PackedMessage(const std::vector<uint8_t> &body)
{
    QByteArray wire(int(PackedLength(uint32_t(body.size()))) + 2, '\0');
    wire[0] = char(0xF0);
    PackSevenBit(body.data(), uint32_t(body.size()), reinterpret_cast<uint8_t *>(wire.data()) + 1);
    wire[wire.size() - 1] = char(0xF7);
    return wire;
}

std::vector<uint8_t> ReplyFrame(uint8_t command, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> frame{0x00,
                               0x59,
                               command,
                               uint8_t(payload.size()),
                               uint8_t(payload.size() >> 8),
                               uint8_t(payload.size() >> 16)};
    frame.reserve(payload.size() + 7);
    for (uint8_t byte : payload)
        frame.push_back(byte);
    frame.push_back(FrameChecksum(payload.data(), uint32_t(payload.size())));
    return frame;
}

std::map<std::string, SeedMaker> SeedMakers()
{
    return {
        {"fuzz_link_receive", &MakeLinkReceiveSeeds},
        {"fuzz_usbport_replies", &MakeUSBPortReplySeeds},
        {"fuzz_firmware_package", &MakeFirmwarePackageSeeds},
        {"fuzz_flash_layout", &MakeFlashLayoutSeeds},
        {"fuzz_wave", &MakeWaveSeeds},
        {"fuzz_song_records", &MakeSongRecordSeeds},
    };
}
