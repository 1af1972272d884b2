// Runs admin-cli in-process, as its main does, and keeps what it wrote and returned; plus
// small helpers for the files the tests hand to it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <atomic>
#include <vector>

#include "cli/AdminCli.h"

namespace orvane::test {

struct CliRun {
    int status = -1;
    QString out;
    QString err;

    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
    bool jsonValid() const {
        QJsonParseError error;
        QJsonDocument::fromJson(out.toUtf8(), &error);
        return error.error == QJsonParseError::NoError;
    }
};

inline CliRun runCli(const QStringList& args, bool terminal = false,
                     const std::atomic<bool>* stop = nullptr)
{
    CliRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    cli::ConsoleOptions options;
    options.terminal = terminal;
    run.status = cli::runAdminCli(args, out, err, options, stop);
    out.flush();
    err.flush();
    return run;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline QByteArray someBytes(int size, int seed = 5)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 37 + seed + i / 253) & 0xFF);
    return bytes;
}

inline QByteArray toBytes(const std::vector<uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size()));
}

}  // namespace orvane::test
