// The small C++ helpers behind the screens: every symbol name the screens or the model use has a
// glyph in the bundled icon font; haptic counting; the formatting entry points that QML calls
// with doubles.

#include "Format.h"
#include "Haptics.h"
#include "Icons.h"

#include "model/TorrentState.h"

#include <QDir>
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// Symbol names written in the QML files: string literals on the rest of the line after a
// property whose name contains "symbol" or "icon" (symbol:, icon:, guideIcons:, ...) or after the
// name: of an Icon element. Whole ternaries count, so both branches are collected.
QSet<QString> symbolsInQml(const QString &text)
{
    static const QRegularExpression place(
        uR"re((?:\b\w*(?:symbol|icon)\w*\s*:|\bIcon\s*\{[^{}]*?\bname\s*:)(.*))re"_qs,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression literal(uR"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)*)")re"_qs);
    QSet<QString> names;
    for (auto places = place.globalMatch(text); places.hasNext();) {
        for (auto it = literal.globalMatch(places.next().captured(1)); it.hasNext();)
            names.insert(it.next().captured(1));
    }
    return names;
}

} // namespace

class UiHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    void scannerFindsSymbolsInEveryForm()
    {
        QFile sample(QStringLiteral(SEEDWHIRL_QML_TESTS_DIR "/symbol-scan-sample.qmltext"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QString qml = QString::fromUtf8(sample.readAll());
        QCOMPARE(symbolsInQml(qml),
                 (QSet<QString>{"one.line", "branch.a", "branch.b", "plus", "guide.one", "guide.two"}));
    }

    // The symbols of the screens and those the model names for each torrent state.
    void everySymbolInTheScreensIsMapped()
    {
        const QDir dir(QStringLiteral(SEEDWHIRL_QML_DIR));
        const QStringList files = dir.entryList({QStringLiteral("*.qml")}, QDir::Files);
        QVERIFY2(files.size() >= 20, qPrintable(dir.path()));
        QSet<QString> used;
        for (const QString &name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            used += symbolsInQml(QString::fromUtf8(file.readAll()));
        }
        // The scan must see the symbols of every kind of screen, or it proves nothing.
        for (const char *expected :
             {"arrow.down.circle", "chart.bar", "magnifyingglass", "gear", "server.rack", "plus.app.fill",
              "line.3.horizontal.decrease.circle", "trash.fill", "antenna.radiowaves.left.and.right",
              "doc.badge.plus", "tray.full", "externaldrive", "chevron.up.chevron.down", "lock.fill",
              "circle"}) {
            QVERIFY2(used.contains(QString::fromLatin1(expected)), expected);
        }
        for (const TorrentState state : TorrentStates::allCases())
            used.insert(TorrentStates::iconName(state));
        QStringList unmapped;
        std::ranges::copy_if(used, std::back_inserter(unmapped),
                             [](const QString &s) { return !IconTable::codePoint(s); });
        unmapped.sort();
        QVERIFY2(unmapped.isEmpty(), qPrintable(unmapped.join(QStringLiteral(", "))));
    }

    void everyMappedGlyphExistsInTheBundledFont()
    {
        QFile file(IconTable::fontResourcePath());
        QVERIFY2(file.open(QIODevice::ReadOnly), "icon font missing from the resources");
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        for (const QString &symbol : IconTable::symbolNames())
            QVERIFY2(font.supportsCharacter(uint(*IconTable::codePoint(symbol))), qPrintable(symbol));
    }

    void anUnmappedNameIsRecordedAndStillDrawsSomething()
    {
        Icons icons;
        QSignalSpy changed(&icons, &Icons::unmappedNamesChanged);
        QCOMPARE(icons.glyph(QStringLiteral("gear")).size(), 1);
        QVERIFY(icons.unmappedNames().isEmpty());
        const QString glyph = icons.glyph(QStringLiteral("no.such.symbol"));
        QCOMPARE(glyph.size(), 1);
        QCOMPARE(icons.unmappedNames(), QStringList{QStringLiteral("no.such.symbol")});
        icons.glyph(QStringLiteral("no.such.symbol"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(icons.glyph(QString()), QString());
    }

    void hapticsCountEachStyleAndRefuseOthers()
    {
        Haptics haptics;
        QSignalSpy changed(&haptics, &Haptics::countChanged);
        for (const QString &style : {u"medium"_qs, u"medium"_qs, u"light"_qs, u"heavy"_qs})
            QVERIFY(haptics.impact(style));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown haptic impact style")));
        QVERIFY(!haptics.impact(QStringLiteral("Medium")));
        QCOMPARE(
            QList<int>({haptics.mediumCount(), haptics.lightCount(), haptics.heavyCount(), haptics.count()}),
            QList<int>({2, 1, 1, 4}));
        QCOMPARE(changed.count(), 4);
        haptics.reset();
        QCOMPARE(haptics.count(), 0);
    }

    // Limits below one byte are no limit.
    void formatEntryPoints()
    {
        for (const double limit : {0.0, 0.5, -1.0, std::nan("")})
            QCOMPARE(Format::formatLimit(limit), QStringLiteral("无限制"));
        QCOMPARE(Format::formatLimit(1048576), QStringLiteral("1.00 MB/s"));
        // Numbers from QML are taken as whole bytes.
        QCOMPARE(Format::formatBytes(1536), QStringLiteral("1.50 KB"));
        QCOMPARE(Format::formatBytes(1023.9), QStringLiteral("1023 B"));
        QCOMPARE(Format::formatRate(1048576), QStringLiteral("1.00 MB/s"));
        // Values past the 64-bit range are clamped, not undefined behaviour.
        QVERIFY(Format::formatBytes(1e300).endsWith(QStringLiteral("PB")));
        QCOMPARE(Format::formatBytes(-1e300),
                 Format::formatBytes(double(std::numeric_limits<qint64>::min())));
        QCOMPARE(Format::formatBytes(std::nan("")), QStringLiteral("0 B"));
        // Interval labels, and missing dates.
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
