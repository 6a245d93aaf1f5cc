#pragma once

// Where the firmware update shows how far it got: the window's progress bar, the CLI's stderr.
// Values run 0..80 while sectors are erased and reach 100 when the write has been answered.
class CUpdateProgress {
public:
    virtual ~CUpdateProgress() = default;
    virtual void SetBar(int value) = 0;
};
