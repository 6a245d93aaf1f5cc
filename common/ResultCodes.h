#pragma once

#include <cstdint>

// Result codes of the song storage operations; 0 means success.
enum : int32_t {
    RESULT_OK = 0,
    RESULT_DEVICE_NOT_OPEN = 1,
    RESULT_DEVICE_NOT_SUPPORTED = 2,
    RESULT_READ_FAILED = 3,
    RESULT_WRITE_FAILED = 4,
    RESULT_CHECKSUM_ERROR = 5,
    RESULT_SPACE_NOT_ENOUGH = 6,
    RESULT_FILE_TOO_LARGE = 7,
    RESULT_BAD_SLOT = 8,
    RESULT_FLASH_ERASE_FAILED = 9,
    RESULT_FILE_INFO_ERASE_FAILED = 10,
    // The work stopped at a request boundary because a cancel was requested (CancelRequest.h).
    RESULT_CANCELLED = 11,
    // The record was committed, so the song is stored, but the looper stopped answering right after
    // it (the legacy song-file flag that follows every record could not be raised).
    RESULT_STORED_NO_ANSWER = 12,
    // A slot's record names blocks that another slot's record names too: a move or swap between them
    // was cut short. Nothing is written until repair separates them.
    RESULT_SHARED_BLOCKS = 13,
};
