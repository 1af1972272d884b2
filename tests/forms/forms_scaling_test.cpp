// The scaling pass of the fixed forms, shared by both windows and the search dialog: window,
// plain, framed and group-box widgets, and truncation toward zero at odd factors.
#include <QGroupBox>
#include <QTextEdit>
#include <QtTest>

#include "forms/WidgetScaling.h"

class FormsScalingTest : public QObject {
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
};

QTEST_MAIN(FormsScalingTest)
#include "forms_scaling_test.moc"
