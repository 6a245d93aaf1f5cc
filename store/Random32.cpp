#include "Random32.h"

#include <QTime>

#include <cstdlib>

namespace {

// The generator's values are taken as 15-bit numbers whatever the library's RAND_MAX.
uint32_t Draw15()
{
    return static_cast<uint32_t>(std::rand()) & 0x7FFFu;
}

} // namespace

uint32_t Random32()
{
    const QTime now = QTime::currentTime();
    std::srand(now.isValid() ? static_cast<unsigned>(now.msecsSinceStartOfDay()) : 0u);
    const uint32_t r1 = Draw15();
    const uint32_t r2 = Draw15();
    const uint32_t r3 = Draw15();
    const uint32_t r4 = Draw15();
    uint32_t value = r1 << 16 | r3;
    if (r2 >= 0x3FFF)
        value |= 0x80000000u;
    if (r4 >= 0x3FFF)
        value |= 0x8000u;
    return value;
}
