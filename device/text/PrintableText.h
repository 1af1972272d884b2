// Text that came from the device (versions, file and directory names) is data: before it is
// printed to a terminal or shown in a window, its control characters are written out as
// escapes, so an escape sequence in a version cannot clear the screen or retitle the terminal
// and a line break cannot fake a line of output.
#pragma once

#include <QChar>
#include <QString>

namespace orvane {

// True for characters that steer a terminal or the text's direction instead of showing:
// C0 and C1 controls, DEL, and the bidirectional overrides and isolates.
bool isControlCharacter(QChar c);

// `text` with every control character replaced by "\xNN" (below U+0100) or "\uNNNN".
QString printableText(const QString& text);

}  // namespace orvane
