#pragma once

// A JACK server of a test's own and a JACK client that records what is played to it. Header only:
// only the tests that use JACK link it.

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QtTest>

#include <jack/jack.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

// With the dummy driver, under a name of the test program's own that becomes the process's default
// server, so that the client names, the rate and the load are the test's. Synchronous: on a busy
// machine it waits for a late client instead of dropping what the client was to pass on. Temporary:
// it ends once its last client has gone, also when the test dies. JACK keeps a machine-wide table of
// a few servers, and the entry of one that did not end cleanly is only taken back by a server of the
// same name: the name is the program's and its folder's, not its process id.
struct CJackServer : QProcess {
    bool Start(const QString &rate)
    {
        const QString name = QStringLiteral("brindle-%1-%2")
                                 .arg(QCoreApplication::applicationName())
                                 .arg(qHash(QCoreApplication::applicationDirPath()), 8, 16, QLatin1Char('0'));
        qputenv("JACK_DEFAULT_SERVER", name.toUtf8());
        start("jackd", {"-n", name, "--no-realtime", "-S", "-T", "-t", "10000", "-d", "dummy", "-r", rate});
        return waitForStarted();
    }
    ~CJackServer() override
    {
        terminate();
        if (!waitForFinished(5000))
            kill(), waitForFinished();
    }
};

// Records its two inputs ("recorder:1", "recorder:2") from its start, and every connection made in the graph.
struct CJackRecorder {
    // Closing joins the client's threads: what they recorded may be read from then on.
    void Close()
    {
        if (client)
            jack_client_close(std::exchange(client, nullptr));
    }
    ~CJackRecorder() { Close(); }
    // Tries for a while: a server just started takes a moment to answer.
    bool Open()
    {
        for (int tries = 0; tries < 50 && !TryOpen(); ++tries) {
            Close();
            QTest::qWait(100);
        }
        return client != nullptr;
    }
    bool TryOpen()
    {
        client = jack_client_open("recorder", JackNoStartServer, nullptr);
        for (int c = 0; client && c < 2; ++c)
            ports[c] = jack_port_register(client, c ? "2" : "1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        return client && jack_set_process_callback(client, &Record, this) == 0 &&
               jack_set_port_connect_callback(client, &Connected, this) == 0 && jack_activate(client) == 0;
    }
    // Hears the two outputs of the client named `source`.
    bool Listen(const QString &source)
    {
        return jack_connect(client, qPrintable(source + ":outport 0"), "recorder:1") == 0 &&
               jack_connect(client, qPrintable(source + ":outport 1"), "recorder:2") == 0;
    }
    static int Record(jack_nframes_t count, void *user)
    {
        auto *self = static_cast<CJackRecorder *>(user);
        const size_t kept = std::min<size_t>(count, self->samples[0].size() - self->frames);
        for (int c = 0; c < 2; ++c) {
            const auto *input = static_cast<const float *>(jack_port_get_buffer(self->ports[c], count));
            std::copy(input, input + kept, self->samples[c].begin() + self->frames);
        }
        self->frames += kept;
        return 0;
    }
    static void Connected(jack_port_id_t a, jack_port_id_t b, int connect, void *user)
    {
        auto *self = static_cast<CJackRecorder *>(user);
        if (connect)
            self->connections << QString(jack_port_name(jack_port_by_id(self->client, a))) + ">" +
                                     jack_port_name(jack_port_by_id(self->client, b));
    }
    // A channel from its first to its last sound.
    std::vector<double> Sound(int channel) const
    {
        const auto begin = samples[channel].begin();
        const auto loud = [](float sample) { return std::fabs(sample) > 1e-3f; };
        const auto first = std::find_if(begin, begin + frames, loud);
        const auto last =
            std::find_if(std::make_reverse_iterator(begin + frames), std::make_reverse_iterator(first), loud);
        return std::vector<double>(first, last.base());
    }
    jack_client_t *client = nullptr;
    jack_port_t *ports[2] = {};
    std::vector<float> samples[2] = {std::vector<float>(8 * 48000), std::vector<float>(8 * 48000)};
    size_t frames = 0;
    QStringList connections;
};
