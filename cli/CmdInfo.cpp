#include "CCliLooper.h"
#include "CliCommands.h"
#include "CliDevice.h"
#include "CliJson.h"
#include "CUSBPort.h"
#include "DeviceModel.h"
#include "FirmwareVersion.h"

#include <cstdio>

namespace {
void PrintInfoJson(const DeviceIdentity &identity, const DeviceModel *model)
{
    QJsonObject info;
    info["model"] = model ? QJsonValue(QString::fromLatin1(model->name)) : QJsonValue();
    info["productId"] = qint64(identity.productId);
    info["firmware"] = FormatVersion(identity.firmwareVersion);
    info["link"] = "normal";
    PrintCliJson(info);
}

void PrintInfoText(const DeviceIdentity &identity, const DeviceModel *model)
{
    std::printf("Model:    %s\n", model ? model->name : "(not in the model table)");
    std::printf("Product:  %u\n", identity.productId);
    std::printf("Firmware: V%s\n", FormatVersion(identity.firmwareVersion).toUtf8().constData());
    std::printf("Link:     normal\n");
}

int RunInfo(const SCliOptions &options)
{
    CCliLooper looper;
    const int status = looper.Connect(options);
    if (status != EXIT_OK)
        return status;
    const DeviceIdentity &identity = looper.Port().Identity();
    const DeviceModel *model = FindDeviceModel(identity.productId);
    if (options.json)
        PrintInfoJson(identity, model);
    else
        PrintInfoText(identity, model);
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("info", RunInfo);
