#include "snwriter/MainWindowForm.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaObject>
#include <QPushButton>

#include "forms/FixedForm.h"

using namespace orvane::form;

namespace snwriter {

void MainWindowForm::setupForm(QMainWindow* MainWindow)
{
    setupFixedMainWindow(MainWindow, QSize(460, 80));

    centralwidget = new QWidget(MainWindow);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));

    ButtonConnect = make<QPushButton>(centralwidget, "ButtonConnect", 50, 10, 90, 21, Font::Shell);
    label = makeLabel(centralwidget, "label", 190, 10, 71, 21, Font::Shell, kRight);
    lineID = make<QLineEdit>(centralwidget, "lineID", 270, 10, 171, 20, Font::Shell);
    lineID->setReadOnly(true);
    checkBoxSkipBootLdr = make<QCheckBox>(centralwidget, "checkBoxSkipBootLdr", 30, 40, 141, 21,
                                          Font::Shell);
    checkBoxSkipBootLdr->setChecked(true);
    label_IDnew = makeLabel(centralwidget, "label_IDnew", 190, 50, 71, 21, Font::Shell, kRight);
    lineID_new = make<QDoubleSpinBox>(centralwidget, "lineID_new", 270, 50, 111, 22);
    lineID_new->setEnabled(false);
    lineID_new->setWrapping(true);
    lineID_new->setDecimals(0);
    lineID_new->setMaximum(kMaxEntry);
    lineID_new->setSingleStep(1.0);
    ButtonSet = make<QPushButton>(centralwidget, "ButtonSet", 400, 50, 41, 21, Font::Shell);
    ButtonSet->setEnabled(false);

    MainWindow->setCentralWidget(centralwidget);

    retranslateForm(MainWindow);

    QMetaObject::connectSlotsByName(MainWindow);
}

void MainWindowForm::retranslateForm(QMainWindow* MainWindow)
{
    MainWindow->setWindowTitle(tr("Orvane SN Writer"));
    MainWindow->setToolTip(QString());
    MainWindow->setWhatsThis(QString());
    ButtonConnect->setText(tr("Connect"));
    label->setText(tr("Current ID:"));
    checkBoxSkipBootLdr->setText(tr("Skip the Bootloader"));
    label_IDnew->setText(tr("New ID:"));
    ButtonSet->setText(tr("Set"));
}

}  // namespace snwriter
