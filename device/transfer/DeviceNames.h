// Names on the device: the firmware name table, the device name of an uploaded file, and the
// checks that keep names from the device or for the device within what is safe and fits.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace orvane::transfer {

// Local file name -> device file name for firmware images, in table order.
const QList<QPair<QString, QString>>& firmwareFileNames();

// The part of `path` after its last "/" (the whole path when it has none; "\" is not a
// separator here, so a path typed with backslashes is taken whole).
QString localFileName(const QString& path);

// The name an upload of `path` gets on the device: the local name, mapped through
// firmwareFileNames(), with "Updates/" in front when `toUpdates`.
QString deviceFileName(const QString& path, bool toUpdates);

// True when `name` in UTF-8 fits a zero-padded name field of `fieldBytes` bytes (a name that
// fills the field exactly travels without its terminating zero).
bool fitsNameField(const QString& name, int fieldBytes);

// A file name received from the device may become a local file name only when it is not
// empty, is not "." or "..", and holds no "/", "\" or control character (ESC, CR, LF...).
bool isSafeLocalFileName(const QString& name);

}  // namespace orvane::transfer
