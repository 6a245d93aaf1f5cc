#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// Reads a list of slots such as "1,3-5" (slots from 1, as the song list shows them) into
// ascending slot numbers without repeats. False with a text for anything else.
bool ParseSlotList(const QString &text, std::vector<uint32_t> &chosenSlots, QString &errorText);
