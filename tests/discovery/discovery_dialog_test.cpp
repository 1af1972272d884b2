// The scaling pass shared by the windows and the search dialog, and the dialog itself: its
// form at factors 1 and 1.5, and the one SigExit that every way of closing it sends.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include "discovery/ScreenScale.h"
#include "discovery/SearchPort.h"
#include "discovery/WidgetScaling.h"

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
    void scalingPassEdgeCases()
    {
        QWidget window;
        window.setMaximumSize(820, 586);
        QWidget plain(&window);
        plain.setGeometry(10, 20, 101, 31);
        QTextEdit framed(&window);
        framed.setGeometry(10, 30, 711, 81);
        const int frame = framed.frameWidth();
        QGroupBox box(&window);
        box.setGeometry(10, 440, 801, 120);
        const QRect boxContents = box.contentsRect();

        orvane::scaleFixedLayout(&window, {&plain, &framed}, {&box}, 1.5f);
        QCOMPARE(window.size(), QSize(1230, 879));
        QCOMPARE(window.minimumSize(), QSize(1230, 879));
        QCOMPARE(plain.geometry(), QRect(15, 30, 151, 46));
        QCOMPARE(framed.geometry(),
                 QRect(15, 45, int((711 - 2 * frame) * 1.5f), int((81 - 2 * frame) * 1.5f)));
        QCOMPARE(box.geometry(), QRect(15, 660, int(boxContents.width() * 1.5f),
                                       int((boxContents.height() + 27.0f) * 1.5f)));
    }

    void scalingTruncatesAtOddFactors()
    {
        QWidget window;
        window.setMaximumSize(820, 586);
        QWidget plain(&window);
        plain.setGeometry(801, 59, 99, 23);
        const float factor = static_cast<float>(100.0 / 96.0);  // 1.0416666
        orvane::scaleFixedLayout(&window, {&plain}, {}, factor);
        // 820 x 1.0417 = 854.17, 586 x 1.0417 = 610.4; 801 -> 834.4; 59 -> 61.5; 99 -> 103.1
        QCOMPARE(window.size(), QSize(854, 610));
        QCOMPARE(plain.geometry(), QRect(834, 61, 103, 23));
        QWidget at120;
        at120.setMaximumSize(820, 586);
        orvane::scaleFixedLayout(&at120, {}, {}, 1.25f);
        QCOMPARE(at120.size(), QSize(1025, 732));
    }

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
