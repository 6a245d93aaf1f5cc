#include "CUSBPort.h"
#include "CliCommands.h"
#include "CliDevice.h"
#include "DeviceModel.h"
#include "FirmwareVersion.h"

#include <cstdio>

namespace {
int RunInfo(const SCliOptions &options)
{
    CUSBPort port;
    const int status = ConnectCliDevice(options, port);
    if (status != EXIT_OK)
        return status;
    const DeviceIdentity &identity = port.Identity();
    const DeviceModel *model = FindDeviceModel(identity.productId);
    std::printf("Model:    %s\n", model ? model->name : "(not in the model table)");
    std::printf("Product:  %u\n", identity.productId);
    std::printf("Firmware: V%s\n", FormatVersion(identity.firmwareVersion).toUtf8().constData());
    std::printf("Link:     normal\n");
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("info", RunInfo);
