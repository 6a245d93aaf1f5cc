#pragma once

#include <QWidget>

// The looper's storage at a glance: a bar whose filled part is the blocks in use, with the free
// space on it as the command line tells it.
class CStorageBar : public QWidget {
    Q_OBJECT

public:
    explicit CStorageBar(QWidget *parent = nullptr);

    void SetUsage(uint32_t usedBlocks, uint32_t totalBlocks, const QString &text);
    // No looper: nothing to show.
    void Clear();
    QString Text() const { return m_strText; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    uint32_t m_nUsed;
    uint32_t m_nTotal;
    QString m_strText;
};
