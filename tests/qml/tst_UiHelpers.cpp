// The small C++ helpers behind the screens: haptic counting, the formatting entry points that
// QML calls with doubles, and how the API bridge reads its arguments and torrent files.

#include "ApiClientBridge.h"
#include "Format.h"
#include "Haptics.h"

#include <QTemporaryDir>
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

    void optionalFieldsAreAbsentOnlyWhenUndefinedOrNull()
    {
        QCOMPARE(ApiClientBridge::optionalText(QVariant()), std::nullopt);
        QCOMPARE(ApiClientBridge::optionalText(QVariant::fromValue(nullptr)), std::nullopt);
        QCOMPARE(ApiClientBridge::optionalText(QString()), std::optional<QString>(QString()));
        QCOMPARE(ApiClientBridge::optionalText(QStringLiteral("a, b")),
                 std::optional<QString>(QStringLiteral("a, b")));
    }

    void torrentFilesAreReadWholeOrExplained()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("种子.torrent"));
        QByteArray bytes("d4:infod4:name3:abce");
        bytes.append('\0');
        bytes.append("\xff\xfe trailing");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        const auto ok =
            ApiClientBridge::readTorrentFile(QUrl::fromLocalFile(path), QStringLiteral("种子.torrent"));
        QVERIFY(ok.error.isEmpty());
        QCOMPARE(ok.data, bytes);

        const auto missing = ApiClientBridge::readTorrentFile(
            QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone.torrent"))),
            QStringLiteral("gone.torrent"));
        QVERIFY(missing.data.isEmpty());
        QVERIFY(missing.error.contains(QStringLiteral("gone.torrent")));
        QVERIFY(missing.error.contains(QStringLiteral("不存在")));

        const auto folder =
            ApiClientBridge::readTorrentFile(QUrl::fromLocalFile(dir.path()), QStringLiteral("x"));
        QVERIFY(!folder.error.isEmpty());

        const auto remote = ApiClientBridge::readTorrentFile(
            QUrl(QStringLiteral("https://example.org/a.torrent")), QStringLiteral("a.torrent"));
        QVERIFY(!remote.error.isEmpty());

        QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
        if (QFileInfo(path).isReadable()) {
            return; // running with privileges that read any file
        }
        const auto unreadable =
            ApiClientBridge::readTorrentFile(QUrl::fromLocalFile(path), QStringLiteral("种子.torrent"));
        QVERIFY(unreadable.error.contains(QStringLiteral("种子.torrent")));
    }
};

QTEST_MAIN(UiHelpersTest)
#include "tst_UiHelpers.moc"
