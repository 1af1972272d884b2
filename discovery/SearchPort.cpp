#include "discovery/SearchPort.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include "forms/FixedForm.h"
#include "forms/ScreenScale.h"
#include "forms/WidgetScaling.h"

SearchPort::SearchPort(const QString& message, QWidget* parent) : QDialog(parent)
{
    setupForm();
    if (!message.isEmpty())
        labelSearch->setText(message);
    scaledWidgets << BtnCancel << labelSearch;
    simple = true;
    orvane::scaleFixedLayout(this, scaledWidgets, {}, static_cast<float>(screenScaleFactor()));
}

void SearchPort::setupForm()
{
    setObjectName(QStringLiteral("SearchPort"));
    resize(230, 120);
    setMinimumSize(QSize(230, 120));
    setMaximumSize(QSize(230, 120));
    setFont(orvane::form::arialFont());

    BtnCancel = new QPushButton(this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(QRect(80, 80, 71, 23));
    BtnCancel->setFont(orvane::form::shellFont());
    BtnCancel->setFocusPolicy(Qt::WheelFocus);
    BtnCancel->setContextMenuPolicy(Qt::NoContextMenu);
    BtnCancel->setAutoDefault(true);

    labelSearch = new QLabel(this);
    labelSearch->setObjectName(QStringLiteral("labelSearch"));
    labelSearch->setGeometry(QRect(20, 20, 191, 41));
    labelSearch->setFont(orvane::form::shellFont());
    labelSearch->setAlignment(Qt::AlignCenter);
    labelSearch->setWordWrap(true);

    retranslateForm();
    QMetaObject::connectSlotsByName(this);
}

void SearchPort::retranslateForm()
{
    setWindowTitle(QCoreApplication::translate("SearchPort", "Search for Device", nullptr));
    BtnCancel->setText(QCoreApplication::translate("SearchPort", "Cancel", nullptr));
    BtnCancel->setShortcut(QKeySequence(QString()));
    labelSearch->setText(QCoreApplication::translate(
        "SearchPort", "Connect the Device to Computer using USB", nullptr));
}

void SearchPort::on_BtnCancel_clicked()
{
    simple = false;
    close();
}

void SearchPort::on_SearchPort_finished(int)
{
    QString port;
    emit SigExit(port, simple);
}
