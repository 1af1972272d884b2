// Building blocks of the fixed 96-DPI forms of both programs: the two fonts, widgets placed
// by rectangle, the main window's common properties and the texts' translation context.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>

class QLabel;
class QMainWindow;
class QWidget;

namespace orvane::form {

enum class Font { None, Shell, Arial };  // None: the widget inherits its parent's font

QFont shellFont();  // "MS Shell Dlg 2", 10 point
QFont arialFont();  // "Arial", 10 point
void applyFont(QWidget* widget, Font font);

constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeading | Qt::AlignLeft | Qt::AlignVCenter;

// A child of `parent` named `name` at the 96-DPI rectangle (x, y, w, h).
template <class W>
W* make(QWidget* parent, const char* name, int x, int y, int w, int h, Font font = Font::None)
{
    W* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(QRect(x, y, w, h));
    applyFont(widget, font);
    return widget;
}

QLabel* makeLabel(QWidget* parent, const char* name, int x, int y, int w, int h, Font font,
                  Qt::Alignment align);

// The properties both main windows share: object name "MainWindow" when unnamed,
// window-modal, expanding policy with stretch 2, `size` as size, minimum and maximum, no
// context menu, opaque, text-only tool buttons, animated, no document mode, animated and
// tabbed docks without nesting.
void setupFixedMainWindow(QMainWindow* window, QSize size);

// A text of the main windows' forms, through the translation context "MainWindow".
QString tr(const char* text);

}  // namespace orvane::form
