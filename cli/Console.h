// Where the command line's output goes: result lines or one JSON document on standard output;
// the flows' log lines, messages, traces and the progress bar on standard error. A console
// belongs to one device's job: nothing in it is shared with another.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTextStream>

#include <atomic>
#include <cstdint>
#include <functional>

#include "device/transfer/TransferReport.h"

namespace orvane::cli {

struct ConsoleOptions {
    bool json = false;        // stdout carries one JSON document (one line) instead of lines
    bool jsonPretty = false;  // ... indented over several lines instead
    QString prefix;           // put before every line on stderr ("" = none)
    bool quiet = false;     // no log lines and no progress bar
    bool terminal = false;  // stderr is a terminal: the progress bar may be drawn
    int width = 80;         // terminal columns for the progress bar
};

class Console {
public:
    Console(QTextStream& out, QTextStream& err, ConsoleOptions options);

    const ConsoleOptions& options() const { return options_; }
    void setOptions(const ConsoleOptions& options) { options_ = options; }

    // A log line of a flow, in the window's words (kept in the JSON document's "log").
    void log(const QString& line);
    // A message for the user that is not a flow's log line (errors, hints); shown even when
    // quiet, and kept as the document's "error" when it explains a failure.
    void message(const QString& text);
    // A line of the result for people; in JSON mode the document carries the result instead.
    void line(const QString& text);
    // A line of --trace: with the time of day in milliseconds, shown even when quiet.
    void trace(const QString& text);

    // The JSON document's fields (written by finish() in JSON mode).
    QJsonObject& document() { return document_; }
    // Ends the output: clears the progress bar and, in JSON mode, writes the document with
    // "time" (now, ISO 8601 UTC), "ok", "exitStatus", "error" (when a failure was explained)
    // and "log", followed by a line break.
    void finish(int exitStatus);
    void setError(const QString& text) { error_ = text; }

    // Progress of the transfer of one file, shown as a bar on a terminal.
    void startFile(const QString& name);
    void fileBytes(uint64_t done, uint64_t total);
    void endProgress();

    // A transfer report whose lines go to log() and whose byte counts drive the bar; the
    // file names come from `nameOfFile`, called with 0, 1, 2... as each file's data starts.
    transfer::TransferReport report(std::function<QString(int index)> nameOfFile,
                                    const std::atomic<bool>* stop);

private:
    bool showsProgress() const;
    void writeErr(const QString& text);
    void clearProgress();

    QTextStream& out_;
    QTextStream& err_;
    ConsoleOptions options_;
    QJsonObject document_;
    QJsonArray log_;
    QString error_;
    QString fileName_;
    int64_t fileStartMs_ = 0;
    int64_t lastDrawMs_ = -1;
    bool barShown_ = false;
    int files_ = 0;
    std::function<QString(int)> nameOfFile_;
};

}  // namespace orvane::cli
