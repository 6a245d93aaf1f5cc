#pragma once

#include "SSongPeaks.h"

#include <QWidget>

// A song's waveform: the lowest and highest sample under each pixel column, drawn from the peaks
// of the whole song, with time ticks along the bottom and a play cursor. An overview (peaks read
// here and there in the song) is drawn lighter than exact peaks. Without peaks it shows a line of
// text instead.
class CWaveformView : public QWidget {
    Q_OBJECT

public:
    explicit CWaveformView(QWidget *parent = nullptr);

    void SetPeaks(const SSongPeaks &peaks, double seconds);
    // No waveform; `text` says why.
    void SetMessage(const QString &text);
    // Where playback is, in seconds from the start of the song; a negative value hides the cursor.
    void SetPlayCursor(double seconds);
    double PlayCursor() const { return m_dCursor; }
    bool HasPeaks() const { return !m_peaks.IsEmpty(); }
    bool PeaksExact() const { return m_peaks.exact; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void DrawPeaks(QPainter &painter, const QRect &area) const;
    void DrawTicks(QPainter &painter, const QRect &area) const;
    void DrawCursor(QPainter &painter, const QRect &area) const;
    QRect WaveArea() const;
    // The pixel column of the cursor at `seconds`; -1 when none is drawn.
    int CursorColumn(double seconds) const;

    SSongPeaks m_peaks;
    double m_dSeconds;
    double m_dCursor;
    QString m_strMessage;
};
