#include "forms/WidgetScaling.h"

#include <QWidget>

namespace orvane {
namespace {

int scaled(int value, float factor)
{
    return static_cast<int>(static_cast<float>(value) * factor);
}

}  // namespace

void scaleFixedLayout(QWidget* window, const QList<QWidget*>& widgets,
                      const QList<QWidget*>& groupBoxes, float factor)
{
    const QSize designSize = window->maximumSize();
    window->setFixedSize(scaled(designSize.width(), factor), scaled(designSize.height(), factor));

    for (QWidget* widget : widgets) {
        const QRect contents = widget->contentsRect();
        widget->setGeometry(scaled(widget->x(), factor), scaled(widget->y(), factor),
                            scaled(contents.width(), factor), scaled(contents.height(), factor));
    }
    const float titleRoom = 18.0f * factor;
    for (QWidget* box : groupBoxes) {
        const QRect contents = box->contentsRect();
        const int height = static_cast<int>((static_cast<float>(contents.height()) + titleRoom) *
                                            factor);
        box->setGeometry(scaled(box->x(), factor), scaled(box->y(), factor),
                         scaled(contents.width(), factor), height);
    }
}

}  // namespace orvane
