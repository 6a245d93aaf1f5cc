#include "CStorageBar.h"

#include <QPainter>

CStorageBar::CStorageBar(QWidget *parent) : QWidget(parent), m_nUsed(0), m_nTotal(0) {}

void CStorageBar::SetUsage(uint32_t usedBlocks, uint32_t totalBlocks, const QString &text)
{
    m_nUsed = usedBlocks;
    m_nTotal = totalBlocks;
    m_strText = text;
    setToolTip(QStringLiteral("%1 of %2 blocks hold songs").arg(usedBlocks).arg(totalBlocks));
    update();
}

void CStorageBar::Clear()
{
    SetUsage(0, 0, QString());
    setToolTip(QString());
}

// Drawn as a progress bar is: the text in the highlight's own text colour where it lies on the used part.
void CStorageBar::paintEvent(QPaintEvent *)
{
    if (m_nTotal == 0)
        return;
    QPainter painter(this);
    const QRect bar = rect().adjusted(0, 0, -1, -1);
    const int used = int(qint64(width()) * std::min(m_nUsed, m_nTotal) / m_nTotal);
    const QRect usedPart(0, 0, used, height());
    painter.fillRect(rect(), palette().base());
    painter.fillRect(usedPart, palette().highlight());
    painter.setPen(palette().mid().color());
    painter.drawRect(bar);
    const QString text = fontMetrics().elidedText(m_strText, Qt::ElideRight, width() - 8);
    painter.setPen(palette().text().color());
    painter.setClipRect(QRect(used, 0, width() - used, height()));
    painter.drawText(rect(), Qt::AlignCenter, text);
    painter.setPen(palette().highlightedText().color());
    painter.setClipRect(usedPart);
    painter.drawText(rect(), Qt::AlignCenter, text);
}
