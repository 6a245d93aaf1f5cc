#pragma once

#include <cstddef>

// Reads and writes on a file descriptor that go on until every byte is through, retried when a
// signal interrupts them: a handler installed without restart semantics lets a call end early.

// False with errno set; a write that takes nothing counts as a full disk (ENOSPC).
bool WriteWhole(int fd, const void *data, size_t length);
// False with errno set, or with errno 0 when the file ends before length bytes.
bool ReadWhole(int fd, void *data, size_t length);
// Flushes a folder's entries, so that a file renamed into it survives a power cut. The file is in
// place already, so a failure here changes nothing a caller could act on.
void SyncFolder(const char *path);
