#pragma once

#include <string>

class CSimFlash;

// The file that keeps a simulated looper's flash between runs. It is locked (flock) while a
// process uses it, so that a second process cannot load the same songs and later save over what
// the first one stored; a save writes a new file beside it and renames it over the old one, so a
// failed save leaves the old file as it was.
class CSimFlashFile {
public:
    CSimFlashFile() = default;
    ~CSimFlashFile();
    CSimFlashFile(const CSimFlashFile &) = delete;
    CSimFlashFile &operator=(const CSimFlashFile &) = delete;

    // Locks the file (created empty when there is none) and loads it into flash; an empty file
    // leaves flash as it is. False with a text for a file in use by another process, one that
    // cannot be opened, or one of the wrong size or format; flash is then unchanged.
    bool Open(const std::string &path, CSimFlash &flash, std::string &errorText);
    // The new file takes the lock before it replaces the old one.
    bool Save(const CSimFlash &flash, std::string &errorText);
    void Close();

    bool IsOpen() const { return m_nFd >= 0; }
    // The file was created or empty: a looper that never ran before.
    bool IsNew() const { return m_bNew; }

private:
    bool OpenLocked(const std::string &path, std::string &errorText);
    bool Load(CSimFlash &flash, std::string &errorText);
    std::string SaveFailure(const std::string &where, int error) const;

    int m_nFd = -1;
    std::string m_strPath;
    bool m_bNew = false;
};
