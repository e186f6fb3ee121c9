// The small C++ helpers behind the screens: haptic counting and the formatting entry points that
// QML calls with doubles.

#include "Format.h"
#include "Haptics.h"

#include <QtTest>

#include <cmath>
#include <limits>

class UiHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    void hapticsCountEachStyleAndRefuseOthers()
    {
        Haptics haptics;
        QSignalSpy changed(&haptics, &Haptics::countChanged);
        QVERIFY(haptics.impact(QStringLiteral("medium")));
        QVERIFY(haptics.impact(QStringLiteral("medium")));
        QVERIFY(haptics.impact(QStringLiteral("light")));
        QVERIFY(haptics.impact(QStringLiteral("heavy")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown haptic impact style")));
        QVERIFY(!haptics.impact(QStringLiteral("Medium")));
        QCOMPARE(haptics.mediumCount(), 2);
        QCOMPARE(haptics.lightCount(), 1);
        QCOMPARE(haptics.heavyCount(), 1);
        QCOMPARE(haptics.count(), 4);
        QCOMPARE(changed.count(), 4);
        haptics.reset();
        QCOMPARE(haptics.count(), 0);
    }

    void limitsShowUnlimitedBelowOneByte()
    {
        QCOMPARE(Format::formatLimit(0), QStringLiteral("无限制"));
        QCOMPARE(Format::formatLimit(0.5), QStringLiteral("无限制"));
        QCOMPARE(Format::formatLimit(-1), QStringLiteral("无限制"));
        QCOMPARE(Format::formatLimit(std::nan("")), QStringLiteral("无限制"));
        QCOMPARE(Format::formatLimit(1048576), QStringLiteral("1.00 MB/s"));
    }

    void numbersFromQmlAreTakenAsWholeBytes()
    {
        QCOMPARE(Format::formatBytes(1536), QStringLiteral("1.50 KB"));
        QCOMPARE(Format::formatBytes(1023.9), QStringLiteral("1023 B"));
        QCOMPARE(Format::formatRate(1048576), QStringLiteral("1.00 MB/s"));
        // Values past the 64-bit range are clamped, not undefined behaviour.
        QVERIFY(Format::formatBytes(1e300).endsWith(QStringLiteral("PB")));
        QCOMPARE(Format::formatBytes(-1e300),
                 Format::formatBytes(double(std::numeric_limits<qint64>::min())));
        QCOMPARE(Format::formatBytes(std::nan("")), QStringLiteral("0 B"));
    }

    void intervalLabelsAndMissingDates()
    {
        QCOMPARE(Format::secondsLabel(5), QStringLiteral("5 秒"));
        QCOMPARE(Format::secondsLabel(30.0), QStringLiteral("30 秒"));
        QCOMPARE(Format::formattedDate(QVariant()), QString());
        QCOMPARE(Format::relativeDateString(QVariant()), QString());
        QCOMPARE(Format::formattedDate(QVariant::fromValue(nullptr)), QString());
        QVERIFY(!Format::formattedDate(QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC)).isEmpty());
    }
};

QTEST_MAIN(UiHelpersTest)
#include "tst_UiHelpers.moc"
