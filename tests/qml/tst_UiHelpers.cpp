// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The small C++ helpers behind the screens: every symbol name the screens or the model use has a
// glyph in the bundled icon font; haptic counting; the formatting entry points that QML calls
// with doubles.

#include "Format.h"
#include "Haptics.h"
#include "Icons.h"
#include "LinkInbox.h"

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

QString textOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class UiHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    // The symbols of the screens and those the model names for each torrent state.
    void everySymbolInTheScreensIsMapped()
    {
        QCOMPARE(symbolsInQml(textOf(u"" SEEDWHIRL_QML_TESTS_DIR "/symbol-scan-sample.qmltext"_qs)),
                 (QSet<QString>{"one.line", "branch.a", "branch.b", "plus", "guide.one", "guide.two"}));
        const QDir dir(QStringLiteral(SEEDWHIRL_QML_DIR));
        const QStringList files = dir.entryList({QStringLiteral("*.qml")}, QDir::Files);
        QVERIFY2(files.size() >= 20, qPrintable(dir.path()));
        QSet<QString> used;
        for (const QString &name : files)
            used += symbolsInQml(textOf(dir.filePath(name)));
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

    // Recorded once, and still drawn.
    void anUnmappedNameIsRecordedAndStillDrawsSomething()
    {
        Icons icons;
        QSignalSpy changed(&icons, &Icons::unmappedNamesChanged);
        QCOMPARE(icons.glyph(QStringLiteral("gear")).size(), 1);
        QVERIFY(icons.unmappedNames().isEmpty());
        QCOMPARE(icons.glyph(QStringLiteral("no.such.symbol")).size(), 1);
        icons.glyph(QStringLiteral("no.such.symbol"));
        QCOMPARE(icons.unmappedNames(), QStringList{QStringLiteral("no.such.symbol")});
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
        QCOMPARE(QList<qsizetype>({haptics.mediumCount(), haptics.lightCount(), haptics.heavyCount(),
                                   haptics.count(), changed.count()}),
                 QList<qsizetype>({2, 1, 1, 4, 4}));
        haptics.reset();
        QCOMPARE(haptics.count(), 0);
    }

    // Limits below one byte are no limit; numbers from QML are taken as whole bytes, and those
    // past the 64-bit range are clamped, not undefined behaviour; missing dates are no text.
    // What a start accepts from its command line, as the add sheet will take it.
    void linksFromTheCommandLine_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("link");
        const QString dir = QFileInfo(QStringLiteral(SEEDWHIRL_QML_TESTS_DIR)).absoluteFilePath();
        const QString file = QStringLiteral("symbol-scan-sample.qmltext"); // any file will do
        const QString fileUrl = QUrl::fromLocalFile(dir + u'/' + file).toString();
        QTest::newRow("magnet") << " magnet:?xt=urn:btih:abc&dn=a b" << "magnet:?xt=urn:btih:abc&dn=a b";
        QTest::newRow("https") << "https://example.org/a.torrent" << "https://example.org/a.torrent";
        QTest::newRow("relative file") << file << fileUrl;
        QTest::newRow("file URL") << fileUrl << fileUrl;
        QTest::newRow("missing file") << "no-such.torrent" << "";
        QTest::newRow("a folder") << "." << "";
        QTest::newRow("other scheme") << "ftp://example.org/a.torrent" << "";
        QTest::newRow("http without host") << "http:///a.torrent" << "";
    }
    void linksFromTheCommandLine()
    {
        QFETCH(QString, argument);
        QFETCH(QString, link);
        QCOMPARE(LinkInbox::linkOf(argument, QStringLiteral(SEEDWHIRL_QML_TESTS_DIR)), link);
    }

    void formatEntryPoints()
    {
        QStringList shown;
        for (const double limit : {0.0, 0.5, -1.0, std::nan(""), 1048576.0})
            shown << Format::formatLimit(limit);
        // clang-format off
        shown << Format::formatBytes(1536) << Format::formatBytes(1023.9) << Format::formatBytes(std::nan("")) << Format::formatRate(1048576)
              << Format::secondsLabel(5) << Format::secondsLabel(30.0) << Format::formattedDate(QVariant())
              << Format::relativeDateString(QVariant()) << Format::formattedDate(QVariant::fromValue(nullptr));
        QCOMPARE(shown.join(u'|'), u"无限制|无限制|无限制|无限制|1.00 MB/s|1.50 KB|1023 B|0 B|1.00 MB/s|5 秒|30 秒|||"_qs);
        // clang-format on
        QVERIFY(Format::formatBytes(1e300).endsWith(QStringLiteral("PB")));
        QCOMPARE(Format::formatBytes(-1e300),
                 Format::formatBytes(double(std::numeric_limits<qint64>::min())));
        QVERIFY(!Format::formattedDate(QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC)).isEmpty());
    }
};

QTEST_MAIN(UiHelpersTest)
#include "tst_UiHelpers.moc"
