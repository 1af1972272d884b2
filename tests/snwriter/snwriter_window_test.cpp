// The serial-number writer's window without a device: the form contract (names, order,
// rectangles, fonts, texts, states), the frame, the scaling pass, and the identifier entry
// (wrapping, rounding halves upwards).
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include <cmath>
#include <limits>

#include "device/connection/IdentifierWrite.h"
#include "forms/AppFonts.h"
#include "forms/ScreenScale.h"
#include "link/cUSB_CDC_Protocol.h"
#include "snwriter/MainWindow.h"
#include "snwriter/MainWindowForm.h"

using snwriter::MainWindow;
using snwriter::MainWindowForm;

class SnWriterWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvane::installFontSubstitutions(); }

    void widgetsInCreationOrderWithTheirRectangles();
    void fontsTextsAndStatesAfterSetup();
    void frameAtStartUp();
    void slotsDeclared();
    void scalingAtFactorOneAndAHalf();
    void entryWrapsAtBothEnds();
    void entryRoundsHalvesUpwards();
    void identifierFromEntryRoundsAndStaysInRange();
};

void SnWriterWindowTest::widgetsInCreationOrderWithTheirRectangles()
{
    QMainWindow window;
    MainWindowForm form;
    form.setupForm(&window);

    const QList<QPair<QString, QRect>> expected = {
        {"ButtonConnect", QRect(50, 10, 90, 21)},     {"label", QRect(190, 10, 71, 21)},
        {"lineID", QRect(270, 10, 171, 20)},          {"checkBoxSkipBootLdr", QRect(30, 40, 141, 21)},
        {"label_IDnew", QRect(190, 50, 71, 21)},      {"lineID_new", QRect(270, 50, 111, 22)},
        {"ButtonSet", QRect(400, 50, 41, 21)},
    };
    QCOMPARE(form.centralwidget->objectName(), QStringLiteral("centralwidget"));
    QCOMPARE(window.centralWidget(), form.centralwidget);
    QList<QWidget*> children;
    for (QObject* child : form.centralwidget->children()) {
        if (child->isWidgetType())
            children << static_cast<QWidget*>(child);
    }
    QCOMPARE(children.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(children[i]->objectName(), expected[i].first);
        QCOMPARE(children[i]->geometry(), expected[i].second);
    }
    QCOMPARE(window.size(), QSize(460, 80));
    QCOMPARE(window.minimumSize(), QSize(460, 80));
    QCOMPARE(window.maximumSize(), QSize(460, 80));
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window.windowModality(), Qt::WindowModal);
}

void SnWriterWindowTest::fontsTextsAndStatesAfterSetup()
{
    QMainWindow window;
    MainWindowForm f;
    f.setupForm(&window);

    for (QWidget* w : QList<QWidget*>{f.ButtonConnect, f.label, f.lineID, f.checkBoxSkipBootLdr,
                                      f.label_IDnew, f.ButtonSet}) {
        QCOMPARE(w->font().family(), QStringLiteral("MS Shell Dlg 2"));
        QCOMPARE(w->font().pointSize(), 10);
    }
    QVERIFY(!f.lineID_new->testAttribute(Qt::WA_SetFont));

    QCOMPARE(window.windowTitle(), QStringLiteral("Orvane SN Writer"));
    QCOMPARE(f.ButtonConnect->text(), QStringLiteral("Connect"));
    QCOMPARE(f.label->text(), QStringLiteral("Current ID:"));
    QCOMPARE(f.checkBoxSkipBootLdr->text(), QStringLiteral("Skip the Bootloader"));
    QCOMPARE(f.label_IDnew->text(), QStringLiteral("New ID:"));
    QCOMPARE(f.ButtonSet->text(), QStringLiteral("Set"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter;
    QCOMPARE(f.label->alignment(), right);
    QCOMPARE(f.label_IDnew->alignment(), right);

    QVERIFY(f.lineID->isReadOnly());
    QVERIFY(f.lineID->text().isEmpty());
    QVERIFY(f.checkBoxSkipBootLdr->isChecked());
    QVERIFY(f.ButtonConnect->isEnabled());
    QVERIFY(!f.ButtonSet->isEnabled());
    QVERIFY(!f.lineID_new->isEnabled());
    QCOMPARE(f.lineID_new->decimals(), 0);
    QCOMPARE(f.lineID_new->minimum(), 0.0);
    QCOMPARE(f.lineID_new->maximum(), 99999999999.0);
    QCOMPARE(f.lineID_new->singleStep(), 1.0);
    QVERIFY(f.lineID_new->wrapping());
    QCOMPARE(f.lineID_new->value(), 0.0);
}

void SnWriterWindowTest::frameAtStartUp()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Orvane SN Writer - 1.0.5"));
    QCOMPARE(window.size(), QSize(460, 80));
    QVERIFY(!window.findChild<QStatusBar*>());
    QVERIFY(!window.link()->opened);
    QCOMPARE(window.link()->setParamTimeoutMs(), cUSB_CDC_Protocol::kSetParamTimeoutSnWriter);
    QCOMPARE(cUSB_CDC_Protocol::kSetParamTimeoutSnWriter, 200);
}

void SnWriterWindowTest::slotsDeclared()
{
    // The search's timer and the dialog's SigExit find these slots by their signatures.
    const QMetaObject& mo = MainWindow::staticMetaObject;
    for (const char* slot : {"on_ButtonConnect_clicked()", "on_ButtonSet_clicked()",
                             "on_lineID_new_valueChanged(double)",
                             "slotSearchEnd(QString&,bool)", "slotScanPorts()"})
        QVERIFY2(mo.indexOfSlot(slot) >= 0, slot);

}

void SnWriterWindowTest::scalingAtFactorOneAndAHalf()
{
    orvane::ScopedScreenScale pin(1.5);
    MainWindow window;
    const MainWindowForm* f = window.form();
    QCOMPARE(window.size(), QSize(690, 120));
    QCOMPARE(window.minimumSize(), QSize(690, 120));
    QCOMPARE(f->ButtonConnect->geometry(), QRect(75, 15, 135, 31));
    QCOMPARE(f->label->geometry(), QRect(285, 15, 106, 31));
    QCOMPARE(f->lineID->geometry(), QRect(405, 15, 256, 30));
    QCOMPARE(f->checkBoxSkipBootLdr->geometry(), QRect(45, 60, 211, 31));
    QCOMPARE(f->label_IDnew->geometry(), QRect(285, 75, 106, 31));
    QCOMPARE(f->lineID_new->geometry(), QRect(405, 75, 166, 33));
    QCOMPARE(f->ButtonSet->geometry(), QRect(600, 75, 61, 31));
}

void SnWriterWindowTest::entryWrapsAtBothEnds()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    QDoubleSpinBox* entry = window.form()->lineID_new;
    entry->setEnabled(true);

    entry->setValue(99999999999.0);
    entry->stepBy(1);
    QCOMPARE(entry->value(), 0.0);
    entry->stepBy(-1);
    QCOMPARE(entry->value(), 99999999999.0);
    entry->stepBy(-1);
    QCOMPARE(entry->value(), 99999999998.0);
    // The whole number shows, without grouping.
    QCOMPARE(entry->text(), QStringLiteral("99999999998"));
}

void SnWriterWindowTest::entryRoundsHalvesUpwards()
{
    orvane::ScopedScreenScale pin(1.0);
    MainWindow window;
    QDoubleSpinBox* entry = window.form()->lineID_new;

    window.on_lineID_new_valueChanged(2.5);
    QCOMPARE(entry->value(), 3.0);
    window.on_lineID_new_valueChanged(7.4);
    QCOMPARE(entry->value(), 7.0);
    // A whole value is left as it is.
    entry->setValue(12.0);
    window.on_lineID_new_valueChanged(12.0);
    QCOMPARE(entry->value(), 12.0);

    // Through the spin box's own signal (bound by name), were it to allow a fraction.
    entry->setDecimals(1);
    entry->setValue(2.5);
    QCOMPARE(entry->value(), 3.0);
}

void SnWriterWindowTest::identifierFromEntryRoundsAndStaysInRange()
{
    QCOMPARE(orvane::identifierFromEntry(2.5), quint64(3));
    QCOMPARE(orvane::identifierFromEntry(3.5), quint64(4));  // not to the even neighbour
    QCOMPARE(orvane::identifierFromEntry(2.4999), quint64(2));
    // The largest double below one half: adding 0.5 to it would give exactly 1.
    QCOMPARE(orvane::identifierFromEntry(std::nextafter(0.5, 0.0)), quint64(0));
    QCOMPARE(orvane::identifierFromEntry(0.0), quint64(0));
    QCOMPARE(orvane::identifierFromEntry(99999999999.0), quint64(99999999999ULL));
    QCOMPARE(orvane::identifierFromEntry(-0.4), quint64(0));
    QCOMPARE(orvane::identifierFromEntry(-7.0), quint64(0));
    QCOMPARE(orvane::identifierFromEntry(std::numeric_limits<double>::quiet_NaN()), quint64(0));
    QCOMPARE(orvane::identifierFromEntry(1e30), ~quint64(0));
    QCOMPARE(orvane::roundHalfUp(-2.5), -2.0);  // upwards, not away from zero
}

QTEST_MAIN(SnWriterWindowTest)
#include "snwriter_window_test.moc"
