#pragma once

#include "SCliOptions.h"

#include <QString>

#include <cstdint>
#include <functional>

class CCliLooper;

// Opens the looper and the two slots that the two arguments name (counted from 1 there), or prints
// usage when there are not two; EXIT_OK or the status to exit with.
int OpenTwoSlots(CCliLooper &looper, const SCliOptions &options, const char *usage, uint32_t &first,
                 uint32_t &second);
// Moves or swaps songs with `arrange`, unless `refusal` says why not, then prints the list lines of
// both slots. A stop asked for before the work began cancels it; once it began it is finished.
int CliArrange(CCliLooper &looper, const QString &refusal, uint32_t first, uint32_t second,
               const std::function<int32_t()> &arrange);
