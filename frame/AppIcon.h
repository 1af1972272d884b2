// The icon of the Orvane service tools (packaging/icons), built into the programs, for their
// windows; the desktop entries use the same icon from the icon theme.
#pragma once

#include <QIcon>

namespace orvane {

QIcon appIcon();

}  // namespace orvane
