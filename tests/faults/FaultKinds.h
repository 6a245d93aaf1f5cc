#pragma once

#include "SSimDeviceConfig.h"

#include <QList>
#include <QPair>
#include <QString>

// The device faults every sweep injects, with a name for the test row.
inline QList<QPair<ESimFaultKind, QString>> SweptFaultKinds()
{
    return {
        {SIM_FAULT_SILENCE, "silence"},           {SIM_FAULT_WRONG_COMMAND, "wrong command"},
        {SIM_FAULT_BAD_CHECKSUM, "bad checksum"}, {SIM_FAULT_SHORT_REPLY, "short reply"},
        {SIM_FAULT_LONG_LENGTH, "long length"},   {SIM_FAULT_ERROR_STATUS, "error status"},
        {SIM_FAULT_WRONG_SUM, "wrong sum"},       {SIM_FAULT_REMOVE_PORTS, "ports removed"},
    };
}
