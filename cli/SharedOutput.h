// The two output streams shared by the jobs that run on several devices at once. Each job
// has its own Console; what a console writes reaches the streams here as whole lines (or a
// whole JSON document), one writer at a time, so lines of different devices never mix. On a
// terminal the progress lines of the jobs stand together below the log, one per device, and
// are redrawn together. The lock is taken once per line written or progress line redrawn:
// nothing else is shared between the jobs.
#pragma once

#include <QMap>
#include <QString>
#include <QTextStream>

#include <mutex>

namespace orvane::cli {

class SharedOutput {
public:
    // `terminal`: standard error is a terminal, so progress lines may be drawn there.
    SharedOutput(QTextStream& out, QTextStream& err, bool terminal);

    // `text` is one or more whole lines, each ending in a line break.
    void writeOut(const QString& text);
    void writeErr(const QString& text);
    // The progress line of job `slot` (already fitted to the terminal's width); an empty
    // `line` removes it. Does nothing unless standard error is a terminal.
    void showProgress(int slot, const QString& line);

private:
    void eraseBoard();
    void drawBoard();

    std::mutex lock_;
    QTextStream& out_;
    QTextStream& err_;
    bool terminal_;
    QMap<int, QString> board_;  // the progress lines on show, by job
    int drawn_ = 0;             // lines of the board now on the terminal
};

}  // namespace orvane::cli
