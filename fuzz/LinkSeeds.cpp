#include "FuzzSeeds.h"

namespace {
const std::vector<uint8_t> STATUS_DONE{0x00, 0x59, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF};

std::vector<uint8_t> ReadReply(uint8_t area, uint32_t address, uint32_t count)
{
    std::vector<uint8_t> payload{area,
                                 uint8_t(address),
                                 uint8_t(address >> 8),
                                 uint8_t(address >> 16),
                                 uint8_t(address >> 24),
                                 uint8_t(count),
                                 uint8_t(count >> 8),
                                 uint8_t(count >> 16)};
    for (uint32_t i = 0; i < count; ++i)
        payload.push_back(uint8_t(i));
    return ReplyFrame(0x23, payload);
}

std::vector<uint8_t> ChecksumReply(uint8_t area, uint32_t address, uint32_t length, uint16_t sum)
{
    return ReplyFrame(0x24, {area, uint8_t(address), uint8_t(address >> 8), uint8_t(address >> 16),
                             uint8_t(address >> 24), uint8_t(length), uint8_t(length >> 8),
                             uint8_t(length >> 16), uint8_t(length >> 24), uint8_t(sum), uint8_t(sum >> 8)});
}

std::vector<uint8_t> IdentityReply()
{
    std::vector<uint8_t> reply = ReadReply(0, 0x2180, 16);
    const uint8_t identity[16] = {0x03, 0x02, 0x01, 0x00, 0x13, 0x27, 0,    0,
                                  0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF};
    std::copy(identity, identity + 16, reply.begin() + 14);
    reply.back() = ReplyFrame(0x23, std::vector<uint8_t>(reply.begin() + 6, reply.end() - 1)).back();
    return reply;
}
} // namespace

void MakeLinkReceiveSeeds(CSeedWriter &writer)
{
    for (uint8_t mode : {0x00, 0x80, 0x40, 0xC0, 0x87}) {
        QByteArray seed(1, char(mode));
        seed += PackedMessage(STATUS_DONE);
        seed += QByteArray::fromHex("f8fef8");
        seed += PackedMessage(ReadReply(1, 0x40000, 1009));
        writer.Write(seed);
    }
    writer.Write(QByteArray::fromHex("00f0591200 34f7"));
}

void MakeUSBPortReplySeeds(CSeedWriter &writer)
{
    const QByteArray probe = PackedMessage(ReplyFrame(0x11, std::vector<uint8_t>(27, 0x41)));
    const QByteArray connected = probe + PackedMessage(IdentityReply());
    writer.Write(connected);
    // Erase, a two-chunk verified write of 5200 bytes, a three-chunk read of 2100 bytes, alive.
    QByteArray session = connected + PackedMessage(STATUS_DONE) + PackedMessage(STATUS_DONE) +
                         PackedMessage(STATUS_DONE) + PackedMessage(ChecksumReply(1, 0x1000, 5200, 0));
    session += PackedMessage(ReadReply(1, 0x1000, 1009)) + PackedMessage(ReadReply(1, 0x1000 + 1009, 1009)) +
               PackedMessage(ReadReply(1, 0x1000 + 2018, 82)) + probe;
    writer.Write(session);
    // A raw device: silent probe, then echo and register answers.
    QByteArray raw = QByteArray::fromHex("f0591200 34f7");
    for (int reg = 0x13; reg <= 0x1E; ++reg)
        raw += QByteArray::fromHex("f059") + char(reg) + QByteArray::fromHex("0102f7");
    writer.Write(QByteArray::fromHex("f7") + raw);
}
