#include "cli/commands/ConfigKeys.h"

#include <QSet>

namespace orvane::cli {
namespace {

using config::NetworkConfig;
using config::ReadField;
using config::Security;

const char* const kFlagKeys[] = {"wifi", "ethernet", "proxy"};
const char* const kTextKeys[] = {"ssid",      "username",       "password",      "key-file",
                                 "cert-file", "proxy-url",      "proxy-username", "proxy-password"};

bool isOneOf(const QString& key, const char* const* keys, int count)
{
    for (int i = 0; i < count; ++i) {
        if (key == QLatin1String(keys[i]))
            return true;
    }
    return false;
}

bool parseFlag(const QString& value, bool& on)
{
    const QString v = value.toLower();
    if (v == QLatin1String("on") || v == QLatin1String("1") || v == QLatin1String("true") ||
        v == QLatin1String("yes")) {
        on = true;
        return true;
    }
    if (v == QLatin1String("off") || v == QLatin1String("0") || v == QLatin1String("false") ||
        v == QLatin1String("no")) {
        on = false;
        return true;
    }
    return false;
}

bool parseSecurity(const QString& value, Security& security)
{
    const QString v = value.toLower();
    if (v == QLatin1String("open"))
        security = Security::Open;
    else if (v == QLatin1String("wpa"))
        security = Security::Wpa;
    else if (v == QLatin1String("wpa2-enterprise"))
        security = Security::Wpa2Enterprise;
    else
        return false;
    return true;
}

bool parsePort(const QString& value)
{
    if (value.isEmpty() || value.size() > 5)
        return false;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return value.toUInt() <= 65535;
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString securityName(Security security)
{
    switch (security) {
    case Security::Wpa:
        return QStringLiteral("wpa");
    case Security::Wpa2Enterprise:
        return QStringLiteral("wpa2-enterprise");
    case Security::Open:
        break;
    }
    return QStringLiteral("open");
}

// The shown keys in page order, each with the read field that fills it.
struct Shown {
    const char* key;
    ReadField field;
};
const Shown kShown[] = {
    {"wifi", config::FieldChannels},          {"ethernet", config::FieldChannels},
    {"security", config::FieldSecurity},      {"ssid", config::FieldSsid},
    {"username", config::FieldUserName},      {"password", config::FieldPassword},
    {"proxy", config::FieldProxyEnabled},     {"proxy-url", config::FieldProxyUrl},
    {"proxy-port", config::FieldProxyPort},   {"proxy-username", config::FieldProxyUserName},
    {"proxy-password", config::FieldProxyPassword},
};

QString shownValue(const NetworkConfig& c, const QString& key)
{
    if (key == QLatin1String("wifi")) return onOff(c.wifiEnabled);
    if (key == QLatin1String("ethernet")) return onOff(c.ethernetEnabled);
    if (key == QLatin1String("security")) return securityName(c.security);
    if (key == QLatin1String("ssid")) return c.ssid;
    if (key == QLatin1String("username")) return c.userName;
    if (key == QLatin1String("password")) return c.password;
    if (key == QLatin1String("proxy")) return onOff(c.proxyEnabled);
    if (key == QLatin1String("proxy-url")) return c.proxyUrl;
    if (key == QLatin1String("proxy-port")) return c.proxyPort;
    if (key == QLatin1String("proxy-username")) return c.proxyUserName;
    return c.proxyPassword;
}

}  // namespace

bool parseConfigChanges(const QStringList& args, QList<ConfigChange>& changes, QString& error)
{
    changes.clear();
    QSet<QString> seen;
    for (const QString& arg : args) {
        const int eq = arg.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            error = QStringLiteral("\"%1\" is not KEY=VALUE").arg(arg);
            return false;
        }
        const QString key = arg.left(eq).toLower();
        const QString value = arg.mid(eq + 1);
        if (seen.contains(key)) {
            error = QStringLiteral("%1 is given twice").arg(key);
            return false;
        }
        seen.insert(key);
        bool on = false;
        Security security = Security::Open;
        if (isOneOf(key, kFlagKeys, 3)) {
            if (!parseFlag(value, on)) {
                error = QStringLiteral("%1 must be on or off, not \"%2\"").arg(key, value);
                return false;
            }
        } else if (key == QLatin1String("security")) {
            if (!parseSecurity(value, security)) {
                error = QStringLiteral("security must be open, wpa or wpa2-enterprise, not \"%1\"")
                            .arg(value);
                return false;
            }
        } else if (key == QLatin1String("proxy-port")) {
            if (!parsePort(value)) {
                error = QStringLiteral("proxy-port must be a number from 0 to 65535, not \"%1\"")
                            .arg(value);
                return false;
            }
        } else if (!isOneOf(key, kTextKeys, 8)) {
            error = QStringLiteral("unknown key \"%1\"").arg(key);
            return false;
        }
        changes.append({key, value});
    }
    return true;
}

void applyConfigChanges(const QList<ConfigChange>& changes, NetworkConfig& c)
{
    for (const ConfigChange& change : changes) {
        const QString& key = change.first;
        const QString& value = change.second;
        bool on = false;
        parseFlag(value, on);
        if (key == QLatin1String("wifi")) c.wifiEnabled = on;
        else if (key == QLatin1String("ethernet")) c.ethernetEnabled = on;
        else if (key == QLatin1String("proxy")) c.proxyEnabled = on;
        else if (key == QLatin1String("security")) parseSecurity(value, c.security);
        else if (key == QLatin1String("ssid")) c.ssid = value;
        else if (key == QLatin1String("username")) c.userName = value;
        else if (key == QLatin1String("password")) c.password = value;
        else if (key == QLatin1String("key-file")) c.keyPath = value;
        else if (key == QLatin1String("cert-file")) c.certPath = value;
        else if (key == QLatin1String("proxy-url")) c.proxyUrl = value;
        else if (key == QLatin1String("proxy-port")) c.proxyPort = value;
        else if (key == QLatin1String("proxy-username")) c.proxyUserName = value;
        else if (key == QLatin1String("proxy-password")) c.proxyPassword = value;
    }
}

QString unwrittenChange(const QList<ConfigChange>& changes, const NetworkConfig& c)
{
    for (const ConfigChange& change : changes) {
        const QString& key = change.first;
        const bool wifiKey = key == QLatin1String("security") || key == QLatin1String("ssid") ||
                             key == QLatin1String("username") || key == QLatin1String("password") ||
                             key.endsWith(QLatin1String("-file"));
        if (wifiKey && !c.wifiEnabled)
            return QStringLiteral("%1 is written only with wifi=on").arg(key);
        if (key.startsWith(QLatin1String("proxy-")) && !c.proxyEnabled)
            return QStringLiteral("%1 is written only with proxy=on").arg(key);
        const bool enterpriseKey = key == QLatin1String("username") || key.endsWith(QLatin1String("-file"));
        if (enterpriseKey && c.security != Security::Wpa2Enterprise)
            return QStringLiteral("%1 is used only with security=wpa2-enterprise").arg(key);
        if (key == QLatin1String("password") && c.security == Security::Open)
            return QStringLiteral("password is not used with security=open");
    }
    return QString();
}

QStringList differingSettings(const QList<ConfigChange>& changes, const NetworkConfig& written,
                              const NetworkConfig& back, const config::ReadOutcome& read)
{
    QStringList differing;
    for (const ConfigChange& change : changes) {
        const QString& key = change.first;
        for (const Shown& s : kShown) {
            if (key != QLatin1String(s.key) || !read.has(s.field))
                continue;
            const QString mine = shownValue(written, key);
            const QString theirs = shownValue(back, key);
            const bool same = key == QLatin1String("proxy-port") ? mine.toUInt() == theirs.toUInt()
                                                                  : mine == theirs;
            if (same)
                continue;
            if (key.endsWith(QLatin1String("password")))
                differing.append(key);
            else
                differing.append(QStringLiteral("%1 (written \"%2\", read back \"%3\")").arg(key, mine, theirs));
        }
    }
    return differing;
}

QStringList configLines(const NetworkConfig& config, const config::ReadOutcome& read)
{
    QStringList lines;
    for (const Shown& s : kShown) {
        if (read.has(s.field))
            lines.append(QLatin1String(s.key) + QLatin1Char('=') + shownValue(config, QLatin1String(s.key)));
    }
    return lines;
}

QJsonObject configJson(const NetworkConfig& config, const config::ReadOutcome& read)
{
    QJsonObject object;
    for (const Shown& s : kShown) {
        if (!read.has(s.field))
            continue;
        const QString key = QLatin1String(s.key);
        if (key == QLatin1String("wifi"))
            object.insert(key, config.wifiEnabled);
        else if (key == QLatin1String("ethernet"))
            object.insert(key, config.ethernetEnabled);
        else if (key == QLatin1String("proxy"))
            object.insert(key, config.proxyEnabled);
        else if (key == QLatin1String("proxy-port"))
            object.insert(key, static_cast<int>(config.proxyPort.toUInt()));
        else
            object.insert(key, shownValue(config, key));
    }
    return object;
}

}  // namespace orvane::cli
