#include "CWaveformView.h"

#include <QPainter>

#include <cmath>

namespace {
const int TICK_STRIP = 13;
const int MIN_TICK_SPACING = 48;
const double TICK_STEPS[] = {0.1, 0.25, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600};
const int OVERVIEW_ALPHA = 140;

QString TickLabel(double seconds, double step)
{
    const int whole = int(seconds + 1e-6);
    const QString minutes = QString::asprintf("%d:%02d", whole / 60, whole % 60);
    if (step >= 1)
        return minutes;
    return minutes + QString::asprintf(".%d", int(std::lround((seconds - whole) * 10)) % 10);
}
} // namespace

CWaveformView::CWaveformView(QWidget *parent) : QWidget(parent), m_dSeconds(0), m_dCursor(-1)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CWaveformView::SetPeaks(const SSongPeaks &peaks, double seconds)
{
    m_peaks = peaks;
    m_dSeconds = seconds;
    m_strMessage.clear();
    update();
}

void CWaveformView::SetMessage(const QString &text)
{
    m_peaks = SSongPeaks();
    m_strMessage = text;
    m_dCursor = -1;
    update();
}

// The cursor moves many times a second: the waveform is drawn again only when it moves a pixel.
void CWaveformView::SetPlayCursor(double seconds)
{
    const bool bMoved = CursorColumn(seconds) != CursorColumn(m_dCursor);
    m_dCursor = seconds;
    if (bMoved)
        update();
}

QRect CWaveformView::WaveArea() const
{
    return rect().adjusted(1, 1, -1, -TICK_STRIP);
}

int CWaveformView::CursorColumn(double seconds) const
{
    if (seconds < 0 || m_dSeconds <= 0 || m_peaks.IsEmpty())
        return -1;
    const QRect area = WaveArea();
    return area.left() + int(std::lround(std::min(seconds / m_dSeconds, 1.0) * (area.width() - 1)));
}

void CWaveformView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect area = WaveArea();
    if (m_peaks.IsEmpty()) {
        painter.setPen(palette().placeholderText().color());
        painter.drawText(rect().adjusted(6, 0, -6, 0), Qt::AlignCenter | Qt::TextWordWrap, m_strMessage);
        return;
    }
    DrawPeaks(painter, area);
    DrawTicks(painter, area);
    DrawCursor(painter, area);
}

void CWaveformView::DrawPeaks(QPainter &painter, const QRect &area) const
{
    const double middle = area.top() + area.height() / 2.0;
    const double scale = (area.height() / 2.0 - 1) / 32768.0;
    painter.setPen(palette().mid().color());
    painter.drawLine(QPointF(area.left(), middle), QPointF(area.right(), middle));
    QColor colour = palette().highlight().color();
    if (!m_peaks.exact)
        colour.setAlpha(OVERVIEW_ALPHA);
    painter.setPen(colour);
    const int columns = area.width();
    for (int x = 0; x < columns; ++x) {
        int16_t low = 0;
        int16_t high = 0;
        m_peaks.Range(double(x) / columns, double(x + 1) / columns, low, high);
        painter.drawLine(QPointF(area.left() + x + 0.5, middle - high * scale),
                         QPointF(area.left() + x + 0.5, middle - low * scale));
    }
}

// Ticks at the smallest round step that leaves room for their labels.
void CWaveformView::DrawTicks(QPainter &painter, const QRect &area) const
{
    if (m_dSeconds <= 0)
        return;
    double step = TICK_STEPS[0];
    for (const double candidate : TICK_STEPS) {
        step = candidate;
        if (candidate / m_dSeconds * area.width() >= MIN_TICK_SPACING)
            break;
    }
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.8);
    painter.setFont(small);
    painter.setPen(palette().text().color());
    for (int k = 0; k * step <= m_dSeconds + 1e-9; ++k) {
        const int x = area.left() + int(std::lround(k * step / m_dSeconds * (area.width() - 1)));
        painter.drawLine(x, area.bottom() + 1, x, area.bottom() + 4);
        const QRect label(x + 2, area.bottom() + 1, MIN_TICK_SPACING, TICK_STRIP - 1);
        if (label.right() <= rect().right())
            painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, TickLabel(k * step, step));
    }
}

void CWaveformView::DrawCursor(QPainter &painter, const QRect &area) const
{
    const int x = CursorColumn(m_dCursor);
    if (x < 0)
        return;
    painter.setPen(QPen(palette().text().color(), 1));
    painter.drawLine(x, area.top(), x, area.bottom());
}
