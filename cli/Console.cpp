#include "cli/Console.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTime>

#include "cli/ProgressLine.h"
#include "cli/SharedOutput.h"
#include "link/platform/Deadline.h"

namespace orvane::cli {
namespace {
// Redrawing more often than this only costs time on a slow terminal.
constexpr int64_t kRedrawMs = 100;
}  // namespace

Console::Console(QTextStream& out, QTextStream& err, ConsoleOptions options)
    : out_(out), err_(err), options_(options)
{
}

void Console::writeErr(const QString& text)
{
    if (options_.shared) {
        QString lines;
        for (const QString& line : text.split(QLatin1Char('\n')))
            lines += options_.prefix + line + QLatin1Char('\n');
        options_.shared->writeErr(lines);
        return;
    }
    clearProgress();
    if (options_.prefix.isEmpty()) {
        err_ << text << '\n';
    } else {
        for (const QString& line : text.split(QLatin1Char('\n')))
            err_ << options_.prefix << line << '\n';
    }
    err_.flush();
}

void Console::log(const QString& line)
{
    log_.append(line);
    if (!options_.quiet)
        writeErr(line);
}

void Console::message(const QString& text)
{
    writeErr(text);
}

void Console::trace(const QString& text)
{
    writeErr(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text);
}

void Console::line(const QString& text)
{
    if (options_.json)
        return;
    if (options_.shared) {
        options_.shared->writeOut(options_.prefix + text + QLatin1Char('\n'));
        return;
    }
    out_ << text << '\n';
    out_.flush();
}

void Console::finish(int exitStatus)
{
    clearProgress();
    if (!options_.json)
        return;
    document_.insert(QStringLiteral("time"),
                     QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    document_.insert(QStringLiteral("ok"), exitStatus == 0);
    document_.insert(QStringLiteral("exitStatus"), exitStatus);
    if (!error_.isEmpty())
        document_.insert(QStringLiteral("error"), error_);
    document_.insert(QStringLiteral("log"), log_);
    // One document per line by default, so that results appended to a file make JSON Lines.
    const QJsonDocument::JsonFormat format =
        options_.jsonPretty ? QJsonDocument::Indented : QJsonDocument::Compact;
    QString text = QString::fromUtf8(QJsonDocument(document_).toJson(format));
    if (format == QJsonDocument::Compact)
        text += QLatin1Char('\n');
    if (options_.shared) {
        options_.shared->writeOut(text);
        return;
    }
    out_ << text;
    out_.flush();
}

bool Console::showsProgress() const
{
    return options_.terminal && !options_.quiet;
}

void Console::clearProgress()
{
    if (!barShown_)
        return;
    if (options_.shared) {
        options_.shared->showProgress(options_.slot, QString());
        barShown_ = false;
        return;
    }
    err_ << "\r\x1b[K";
    err_.flush();
    barShown_ = false;
}

void Console::startFile(const QString& name)
{
    fileName_ = name;
    fileStartMs_ = monotonicMs();
    lastDrawMs_ = -1;
}

void Console::fileBytes(uint64_t done, uint64_t total)
{
    if (!showsProgress())
        return;
    const int64_t now = monotonicMs();
    const bool last = done >= total;
    if (!last && lastDrawMs_ >= 0 && now - lastDrawMs_ < kRedrawMs)
        return;
    lastDrawMs_ = now;
    if (options_.shared) {
        const int room = options_.width - 1 - options_.prefix.size();
        options_.shared->showProgress(options_.slot,
                                      options_.prefix + progressLine(fileName_, done, total,
                                                                     now - fileStartMs_, room));
        barShown_ = true;
        return;
    }
    err_ << '\r' << progressLine(fileName_, done, total, now - fileStartMs_, options_.width - 1);
    err_.flush();
    barShown_ = true;
}

void Console::endProgress()
{
    clearProgress();
}

transfer::TransferReport Console::report(std::function<QString(int)> nameOfFile,
                                         const std::atomic<bool>* stop)
{
    files_ = 0;
    nameOfFile_ = std::move(nameOfFile);
    transfer::TransferReport report;
    report.log = [this](const QString& line) { log(line); };
    report.bytes = [this](uint64_t done, uint64_t total) {
        if (done == 0)
            startFile(nameOfFile_ ? nameOfFile_(files_++) : QString());
        fileBytes(done, total);
    };
    // The job's failure line becomes the error; a quiet run shows nothing else of the job.
    report.failure = [this](const QString& text) {
        setError(text);
        if (options_.quiet)
            message(text);
    };
    report.stop = stop;
    return report;
}

}  // namespace orvane::cli
