// Parameter encodings of the network configuration, both directions.
#include <QtTest>

#include "device/config/ParamCodec.h"

using namespace orvane::config;

class ConfigCodecTest : public QObject {
    Q_OBJECT
private slots:
    void flagsAndEap()
    {
        QCOMPARE(encodeFlag(true), QByteArray("\x01", 1));
        QCOMPARE(encodeFlag(false), QByteArray("\x00", 1));
        QVERIFY(decodeFlag(QByteArray("\x02", 1)));
        QVERIFY(!decodeFlag(QByteArray("\x00\x01", 2)));  // only the first byte counts
        QVERIFY(!decodeFlag(QByteArray()));

        QVERIFY(decodeEapInUse(QByteArray("\x01", 1)));
        QVERIFY(!decodeEapInUse(QByteArray("\x02", 1)));
        QVERIFY(!decodeEapInUse(QByteArray("\x01\x00", 2)));
        QVERIFY(!decodeEapInUse(QByteArray()));
    }

    void texts()
    {
        QCOMPARE(encodeText(QStringLiteral("ab")), QByteArray("ab"));
        QCOMPARE(encodeText(QString()), QByteArray());
        QCOMPARE(encodeText(QStringLiteral("Caf\u00e9")).size(), 5);
        QCOMPARE(encodeOpenPassword(), QByteArray("\x00", 1));

        QCOMPARE(decodeText(QByteArray("net\x00junk", 8)), QStringLiteral("net"));
        QCOMPARE(decodeText(QByteArray("Caf\xc3\xa9")), QStringLiteral("Caf\u00e9"));
        const QByteArray longValue(300, 'x');  // beyond any fixed 112-byte buffer
        QCOMPARE(decodeText(longValue).size(), 300);
    }

    void proxyPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("plain") << "8080" << 8080;
        QTest::newRow("cut to 16 bits") << "70000" << 4464;
        QTest::newRow("largest") << "65535" << 65535;
        QTest::newRow("wraps to 0") << "65536" << 0;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("trailing junk") << "80x" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("negative") << "-1" << 0;
    }
    void proxyPort()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(int(parseProxyPort(text)), port);
        const QByteArray bytes = encodeProxyPort(text);
        QCOMPARE(bytes.size(), 2);
        QCOMPARE(int(decodeProxyPort(bytes)), port);
    }

    void proxyPortReadBack()
    {
        QCOMPARE(int(decodeProxyPort(QByteArray("\x70\x11", 2))), 4464);
        QCOMPARE(int(decodeProxyPort(QByteArray("\xff\xff", 2))), 65535);
        QCOMPARE(int(decodeProxyPort(QByteArray("\x50", 1))), 0x50);  // short value: no overread
        QCOMPARE(int(decodeProxyPort(QByteArray())), 0);
    }
};

QTEST_GUILESS_MAIN(ConfigCodecTest)
#include "tst_config_codec.moc"
