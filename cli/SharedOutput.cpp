#include "cli/SharedOutput.h"

namespace orvane::cli {

SharedOutput::SharedOutput(QTextStream& out, QTextStream& err, bool terminal)
    : out_(out), err_(err), terminal_(terminal)
{
}

void SharedOutput::eraseBoard()
{
    if (drawn_ == 0)
        return;
    // The cursor stands at the end of the board's last line: clear it and each line above.
    err_ << "\r\x1b[K";
    for (int i = 1; i < drawn_; ++i)
        err_ << "\x1b[1A\x1b[K";
    drawn_ = 0;
}

void SharedOutput::drawBoard()
{
    bool first = true;
    for (const QString& line : qAsConst(board_)) {
        if (!first)
            err_ << '\n';
        err_ << line;
        first = false;
    }
    drawn_ = board_.size();
    err_.flush();
}

void SharedOutput::writeOut(const QString& text)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (drawn_ > 0) {
        // Standard output may be the same terminal: the board moves below the new lines.
        eraseBoard();
        err_.flush();
        out_ << text;
        out_.flush();
        drawBoard();
        return;
    }
    out_ << text;
    out_.flush();
}

void SharedOutput::writeErr(const QString& text)
{
    std::lock_guard<std::mutex> hold(lock_);
    eraseBoard();
    err_ << text;
    drawBoard();
}

void SharedOutput::showProgress(int slot, const QString& line)
{
    if (!terminal_)
        return;
    std::lock_guard<std::mutex> hold(lock_);
    if (line.isEmpty() && !board_.contains(slot))
        return;
    eraseBoard();
    if (line.isEmpty())
        board_.remove(slot);
    else
        board_.insert(slot, line);
    drawBoard();
}

}  // namespace orvane::cli
