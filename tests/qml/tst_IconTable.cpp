// Every symbol name the screens or the model use has a glyph in the bundled icon font.

#include "Icons.h"

#include "model/TorrentState.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

// Symbol names written in the QML files: string literals given to a property whose name
// contains "symbol" or "icon" (symbol:, icon:, guideIcons:, ...), and the name: of an Icon
// element. Whole ternaries count, so both branches are collected.
QSet<QString> symbolsInQml(const QString &text)
{
    static const QRegularExpression literal(QStringLiteral("\"([^\"]*)\""));
    static const QRegularExpression shape(QStringLiteral("^[a-z][a-z0-9]*(\\.[a-z0-9]+)*$"));
    static const QRegularExpression symbolProperty(QStringLiteral("\\b\\w*(symbol|icon)\\w*\\s*:"),
                                                   QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression oneLineIcon(QStringLiteral("\\bIcon\\s*\\{[^}]*\\bname\\s*:"));
    static const QRegularExpression nameProperty(QStringLiteral("^\\s*name\\s*:"));
    static const QRegularExpression openBlock(QStringLiteral("\\b([A-Z]\\w*)\\s*\\{"));

    QSet<QString> names;
    const auto collect = [&](const QString &part) {
        auto it = literal.globalMatch(part);
        while (it.hasNext()) {
            const QString value = it.next().captured(1);
            if (shape.match(value).hasMatch()) {
                names.insert(value);
            }
        }
    };

    QStringList blocks; // element type of each open brace ("" for a plain brace), innermost last
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const bool inIcon = !blocks.isEmpty() && blocks.last() == QLatin1String("Icon");
        if (const auto m = symbolProperty.match(line); m.hasMatch()) {
            collect(line.mid(m.capturedEnd()));
        } else if (const auto m = oneLineIcon.match(line); m.hasMatch()) {
            collect(line.mid(m.capturedEnd()));
        } else if (inIcon && nameProperty.match(line).hasMatch()) {
            collect(line);
        }
        // Braces, in order of appearance.
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == QLatin1Char('{')) {
                QString type;
                auto it = openBlock.globalMatch(line.left(i + 1));
                while (it.hasNext()) {
                    const auto match = it.next();
                    if (match.capturedEnd() == i + 1) {
                        type = match.captured(1);
                    }
                }
                blocks.append(type);
            } else if (line[i] == QLatin1Char('}') && !blocks.isEmpty()) {
                blocks.removeLast();
            }
        }
    }
    return names;
}

} // namespace

class IconTableTest : public QObject
{
    Q_OBJECT

private slots:
    void scannerFindsSymbolsInEveryForm()
    {
        const QString qml = QStringLiteral(R"(Item {
    Icon { name: "one.line" }
    Icon {
        size: 10
        name: flag ? "branch.a" : "branch.b"
    }
    BarButton { symbol: "plus"; text: "保存" }
    readonly property var guideIcons: ["guide.one", "guide.two"]
    Label { text: "not.a.symbol" }
    Item { name: "outside.icon" }
})");
        const QSet<QString> found = symbolsInQml(qml);
        QCOMPARE(found,
                 (QSet<QString>{"one.line", "branch.a", "branch.b", "plus", "guide.one", "guide.two"}));
    }

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
        QStringList unmapped;
        for (const QString &symbol : std::as_const(used)) {
            if (!IconTable::codePoint(symbol)) {
                unmapped.append(symbol);
            }
        }
        unmapped.sort();
        QVERIFY2(unmapped.isEmpty(), qPrintable(unmapped.join(QStringLiteral(", "))));
    }

    void everyStateIconIsMapped()
    {
        for (const TorrentState state : TorrentStates::allCases()) {
            const QString icon = TorrentStates::iconName(state);
            QVERIFY2(IconTable::codePoint(icon).has_value(), qPrintable(icon));
        }
    }

    void everyMappedGlyphExistsInTheBundledFont()
    {
        QFile file(IconTable::fontResourcePath());
        QVERIFY2(file.open(QIODevice::ReadOnly), "icon font missing from the resources");
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        for (const QString &symbol : IconTable::symbolNames()) {
            const char32_t cp = *IconTable::codePoint(symbol);
            QVERIFY2(font.supportsCharacter(uint(cp)), qPrintable(symbol));
        }
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
};

QTEST_MAIN(IconTableTest)
#include "tst_IconTable.moc"
