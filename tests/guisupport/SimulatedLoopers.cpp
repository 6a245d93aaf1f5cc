#include "SimulatedLoopers.h"

#include "CMidiBackend.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "MillisecondClock.h"

#include <QCoreApplication>

void UseSimulatedLoopersInWindow()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    SetMillisecondSource(SimulatedIdleMilliseconds);
}
