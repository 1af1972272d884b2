// The network configuration as KEY=VALUE text: the keys of "config set" applied to a
// configuration value, and a configuration shown with the same keys.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "device/config/ConfigFlows.h"
#include "device/config/NetworkConfig.h"

namespace orvane::cli {

using ConfigChange = QPair<QString, QString>;  // key, value

// Parses "KEY=VALUE" arguments and checks each value (on/off, a security name, a port from
// 0 to 65535). False, with `error`, for the first that is wrong or repeated.
bool parseConfigChanges(const QStringList& args, QList<ConfigChange>& changes, QString& error);

// Applies checked changes to `config`.
void applyConfigChanges(const QList<ConfigChange>& changes, config::NetworkConfig& config);

// Why the write flow would leave out a setting the user gave, in the configuration that
// results (Wi-Fi settings with Wi-Fi off, proxy settings with the proxy off, a setting the
// chosen security does not use); empty when every change will be written.
QString unwrittenChange(const QList<ConfigChange>& changes, const config::NetworkConfig& config);

// The settings among `changes` that the configuration read back (`back`, filled as `read`
// says) does not hold as written (`written`): one "key (...)" each, with both values except
// for passwords. Empty when the device holds every change.
QStringList differingSettings(const QList<ConfigChange>& changes, const config::NetworkConfig& written,
                              const config::NetworkConfig& back, const config::ReadOutcome& read);

// The configuration as lines "key=value" in the order of the page, with only the parts the
// read filled (Wi-Fi settings are not read while Wi-Fi is off).
QStringList configLines(const config::NetworkConfig& config, const config::ReadOutcome& read);
QJsonObject configJson(const config::NetworkConfig& config, const config::ReadOutcome& read);

}  // namespace orvane::cli
