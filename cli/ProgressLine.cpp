#include "cli/ProgressLine.h"

#include <algorithm>

namespace orvane::cli {

QString byteSize(uint64_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString clockTime(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int64_t h = seconds / 3600;
    const int64_t m = (seconds / 60) % 60;
    const int64_t s = seconds % 60;
    const QString mmss = QStringLiteral("%1:%2").arg(h > 0 ? QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'))
                                                           : QString::number(m))
                             .arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? QString::number(h) + QLatin1Char(':') + mmss : mmss;
}

QString progressLine(const QString& name, uint64_t done, uint64_t total, int64_t elapsedMs,
                     int width)
{
    const int percent = total == 0 ? 100 : static_cast<int>(std::min<uint64_t>(done, total) * 100 / total);
    QString rate = QStringLiteral("--");
    QString left = QStringLiteral("--");
    if (done > 0 && elapsedMs > 0) {
        const double perSecond = static_cast<double>(done) * 1000.0 / static_cast<double>(elapsedMs);
        rate = byteSize(static_cast<uint64_t>(perSecond)) + QStringLiteral("/s");
        const uint64_t remaining = total > done ? total - done : 0;
        left = clockTime(static_cast<int64_t>(static_cast<double>(remaining) / perSecond + 0.5));
    }
    const QString tail = QStringLiteral(" %1% %2 %3 left")
                             .arg(percent, 3)
                             .arg(rate, 12)
                             .arg(left, 7);

    // What is left of the width goes to the name and the bar, the bar getting at most 30.
    const int room = std::max(0, width - tail.size() - 1);
    int nameWidth = std::min<int>(name.size(), std::max(8, room / 2));
    int barWidth = std::min(30, room - nameWidth - 3);
    if (barWidth < 5) {
        barWidth = 0;
        nameWidth = std::min<int>(name.size(), room);
    }
    QString shown = name;
    if (shown.size() > nameWidth)
        shown = nameWidth > 3 ? QStringLiteral("...") + shown.right(nameWidth - 3) : shown.right(nameWidth);

    QString line = shown;
    if (barWidth > 0) {
        const int filled = barWidth * percent / 100;
        line += QStringLiteral(" [") + QString(filled, QLatin1Char('#')) +
                QString(barWidth - filled, QLatin1Char(' ')) + QLatin1Char(']');
    }
    line += tail;
    return line.left(width);
}

}  // namespace orvane::cli
