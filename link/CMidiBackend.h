#pragma once

#include <RtMidi.h>

#include <cstddef>
#include <memory>
#include <string>

// The few MIDI library calls the program makes, behind one seam so that the same code runs on
// RtMidi or on in-process simulated devices. Failures are thrown as RtMidiError by every backend.
class CMidiInput {
public:
    virtual ~CMidiInput() = default;
    virtual unsigned int getPortCount() = 0;
    virtual std::string getPortName(unsigned int portNumber) = 0;
    virtual void openPort(unsigned int portNumber, const std::string &portName) = 0;
    virtual void closePort() = 0;
    virtual bool isPortOpen() const = 0;
    // The callback runs on a thread of the backend, never on the caller's.
    virtual void setCallback(RtMidiIn::RtMidiCallback callback, void *userData) = 0;
    virtual void ignoreTypes(bool midiSysex, bool midiTime, bool midiSense) = 0;
};

class CMidiOutput {
public:
    virtual ~CMidiOutput() = default;
    virtual unsigned int getPortCount() = 0;
    virtual std::string getPortName(unsigned int portNumber) = 0;
    virtual void openPort(unsigned int portNumber, const std::string &portName) = 0;
    virtual void closePort() = 0;
    virtual bool isPortOpen() const = 0;
    virtual void sendMessage(const unsigned char *message, size_t size) = 0;
};

class CMidiBackend {
public:
    virtual ~CMidiBackend() = default;
    virtual std::string Name() const = 0;
    // Input objects come with SysEx, timing and active-sensing filtering switched off.
    virtual std::unique_ptr<CMidiInput> CreateInput(const std::string &clientName,
                                                    unsigned int queueSizeLimit) = 0;
    virtual std::unique_ptr<CMidiOutput> CreateOutput(const std::string &clientName) = 0;
};

// The process-wide backend used by the transport, the port scan and the port watcher.
// Until one is installed it is RtMidi with the library's default API choice.
std::shared_ptr<CMidiBackend> MidiBackend();
void SetMidiBackend(std::shared_ptr<CMidiBackend> backend);
