// The scaling pass of the fixed 96-DPI windows and dialogs: one pass at construction moves
// and resizes the window and its listed widgets by the screen's scale factor.
#pragma once

#include <QList>

class QWidget;

namespace orvane {

// Fixes `window` at its maximum size times `factor`; then for each widget of `widgets`, in
// order, sets its geometry to its position and contents-rectangle size times `factor`; then
// does the same for `groupBoxes`, whose height also gains 18 x factor before scaling (room
// for the title). Every product is computed in single precision and truncated toward zero.
void scaleFixedLayout(QWidget* window, const QList<QWidget*>& widgets,
                      const QList<QWidget*>& groupBoxes, float factor);

}  // namespace orvane
