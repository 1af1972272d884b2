// Font families of the fixed layouts on systems that lack them: "MS Shell Dlg 2" and
// "Arial" map to a metric-compatible family so the texts fit the 96-DPI geometry.
#pragma once

namespace orvane {

// Registers the substitutions; call once after the application object exists and before
// any window is built.
void installFontSubstitutions();

}  // namespace orvane
