// The text of the command line's progress bar: file name, bar, percentage, bytes per second
// and time left, fitted to the terminal's width. Pure formatting, no output.
#pragma once

#include <QString>

#include <cstdint>

namespace orvane::cli {

// "1.5 MiB", "512 B": binary units with one decimal above a KiB.
QString byteSize(uint64_t bytes);
// "0:07", "12:34", "1:02:03".
QString clockTime(int64_t seconds);

// One line, at most `width` characters: the name (cut from the left when too long), a bar,
// the percentage, the rate so far and the time left. The rate and time left read "--" until
// some bytes have come and some time has passed.
QString progressLine(const QString& name, uint64_t done, uint64_t total, int64_t elapsedMs,
                     int width);

}  // namespace orvane::cli
