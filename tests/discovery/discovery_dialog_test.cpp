// The search dialog: its form at factors 1 and 1.5, and the one SigExit that every way of
// closing it sends.
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "discovery/SearchPort.h"
#include "forms/ScreenScale.h"

namespace {

struct ExitRecord {
    int count = 0;
    QString port = QStringLiteral("unset");
    bool simple = false;
};

void record(SearchPort& dialog, ExitRecord& rec)
{
    QObject::connect(&dialog, &SearchPort::SigExit, [&rec](QString& port, bool simple) {
        ++rec.count;
        rec.port = port;
        rec.simple = simple;
    });
}

}  // namespace

class DiscoveryDialogTest : public QObject {
    Q_OBJECT

private slots:
    void dialogFormAtFactorOne()
    {
        orvane::ScopedScreenScale pin(1.0);
        SearchPort dialog(QString(), nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("SearchPort"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Search for Device"));
        QCOMPARE(dialog.size(), QSize(230, 120));
        QCOMPARE(dialog.font().family(), QStringLiteral("Arial"));
        QCOMPARE(dialog.BtnCancel->geometry(), QRect(80, 80, 71, 23));
        QCOMPARE(dialog.BtnCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.BtnCancel->focusPolicy(), Qt::WheelFocus);
        QVERIFY(dialog.BtnCancel->autoDefault());
        QCOMPARE(dialog.labelSearch->geometry(), QRect(20, 20, 191, 41));
        QCOMPARE(dialog.labelSearch->text(),
                 QStringLiteral("Connect the Device to Computer using USB"));
        QCOMPARE(dialog.labelSearch->alignment(), Qt::AlignCenter);
        QVERIFY(dialog.labelSearch->wordWrap());
    }

    void dialogScalesWithTheScreenAndShowsTheMessage()
    {
        orvane::ScopedScreenScale pin(1.5);
        SearchPort dialog(QStringLiteral("Waiting"), nullptr);
        QCOMPARE(dialog.size(), QSize(345, 180));
        QCOMPARE(dialog.BtnCancel->geometry(), QRect(120, 120, 106, 34));
        QCOMPARE(dialog.labelSearch->geometry(), QRect(30, 30, 286, 61));
        QCOMPARE(dialog.labelSearch->text(), QStringLiteral("Waiting"));
    }

    void cancelSendsOneExitThatIsNotSimple()
    {
        orvane::ScopedScreenScale pin(1.0);
        SearchPort dialog(QString(), nullptr);
        ExitRecord rec;
        record(dialog, rec);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.BtnCancel->click();
        QCOMPARE(rec.count, 1);
        QCOMPARE(rec.port, QString());
        QCOMPARE(rec.simple, false);
        QVERIFY(!dialog.isVisible());
    }

    void escapeAndCloseSendOneSimpleExitAndHide()
    {
        orvane::ScopedScreenScale pin(1.0);
        for (bool byEscape : {true, false}) {
            SearchPort dialog(QString(), nullptr);
            ExitRecord rec;
            record(dialog, rec);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (byEscape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
            QCOMPARE(rec.count, 1);
            QCOMPARE(rec.port, QString());
            QCOMPARE(rec.simple, true);
            QVERIFY(dialog.isHidden());
        }
    }
};

QTEST_MAIN(DiscoveryDialogTest)
#include "discovery_dialog_test.moc"
