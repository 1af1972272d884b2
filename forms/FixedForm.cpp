#include "forms/FixedForm.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>

namespace orvane::form {
namespace {

QFont tenPoint(const char* family)
{
    QFont font;
    font.setFamily(QString::fromLatin1(family));
    font.setPointSize(10);
    return font;
}

}  // namespace

QFont shellFont()
{
    return tenPoint("MS Shell Dlg 2");
}

QFont arialFont()
{
    return tenPoint("Arial");
}

void applyFont(QWidget* widget, Font font)
{
    if (font == Font::Shell)
        widget->setFont(shellFont());
    else if (font == Font::Arial)
        widget->setFont(arialFont());
}

QLabel* makeLabel(QWidget* parent, const char* name, int x, int y, int w, int h, Font font,
                  Qt::Alignment align)
{
    QLabel* label = make<QLabel>(parent, name, x, y, w, h, font);
    label->setAlignment(align);
    return label;
}

void setupFixedMainWindow(QMainWindow* window, QSize size)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("MainWindow"));
    window->setWindowModality(Qt::WindowModal);
    window->resize(size);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHorizontalStretch(2);
    policy.setVerticalStretch(2);
    policy.setHeightForWidth(window->sizePolicy().hasHeightForWidth());
    window->setSizePolicy(policy);
    window->setMinimumSize(size);
    window->setMaximumSize(size);
    window->setContextMenuPolicy(Qt::NoContextMenu);
    window->setWindowOpacity(1.0);
    window->setToolButtonStyle(Qt::ToolButtonTextOnly);
    window->setAnimated(true);
    window->setDocumentMode(false);
    window->setDockNestingEnabled(false);
    window->setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
}

QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindow", text, nullptr);
}

}  // namespace orvane::form
