// The windows' icon comes from a resource in a static library, which is easily left out of
// the program: both sizes must load.
#include <QtTest>

#include "frame/AppIcon.h"

class FrameIconTest : public QObject {
    Q_OBJECT

private slots:
    void bothSizesLoad()
    {
        const QIcon icon = orvane::appIcon();
        QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(48, 48), QSize(256, 256)}));
        QCOMPARE(icon.pixmap(QSize(256, 256)).size(), QSize(256, 256));
    }
};

QTEST_MAIN(FrameIconTest)
#include "frame_icon_test.moc"
