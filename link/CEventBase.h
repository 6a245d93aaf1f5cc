#pragma once

#include <QEvent>

#include <cstdint>

// Progress of a long device operation, posted to the main window. The type is 1008 whatever
// QEvent::registerEventType answers: posters and the handler both use the number itself.
class CEventBase : public QEvent {
public:
    static const QEvent::Type EVENT_TYPE = static_cast<QEvent::Type>(QEvent::User + 8);

    CEventBase(int64_t pos, int64_t total) : QEvent(EVENT_TYPE), pos(pos), total(total) {}
    ~CEventBase() override;

    int64_t pos;
    int64_t total;
};

// Posts (pos, total) to target when there is one, then lets the application process its events.
void PostProgress(QObject *target, int64_t pos, int64_t total);
