#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// Reads a list of slots such as "1,3-5" (slots from 1, as the song list shows them) on a looper of
// `slotCount` slots into ascending slots from 0 without repeats. False with a text for anything
// else; a slot the looper does not have is refused before its range is expanded.
bool ParseSlotList(const QString &text, uint32_t slotCount, std::vector<uint32_t> &slots, QString &errorText);
