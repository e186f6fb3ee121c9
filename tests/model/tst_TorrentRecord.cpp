#include "model/SyncRecords.h"
#include "model/Torrent.h"
#include "model/TorrentState.h"
#include "support/Fixtures.h"

#include <QTest>

#include <functional>
#include <limits>

using namespace std::chrono_literals;

namespace {

const QString kHash = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");

TorrentData completeData()
{
    TorrentData d;
    d.name = QStringLiteral("sample.bin");
    d.size = 100000;
    d.progress = 0.25;
    d.dlspeed = 10;
    d.upspeed = 20;
    d.downloaded = 30;
    d.uploaded = 40;
    d.eta = 50;
    d.state = QStringLiteral("downloading");
    d.ratio = 0.5;
    d.category = QStringLiteral("test");
    d.tags = QStringLiteral("a, b");
    d.addedOn = 1700000000;
    d.completionOn = 0;
    d.savePath = QStringLiteral("/srv/downloads");
    d.numSeeds = 1;
    d.numLeechs = 2;
    d.numComplete = 3;
    d.numIncomplete = 4;
    d.priority = 5;
    return d;
}

Torrent makeTorrent(const TorrentData &data = completeData())
{
    const auto torrent = Torrent::fromTorrentData(kHash, data);
    if (!torrent)
        qFatal("complete test record was rejected");
    return *torrent;
}

Timestamp at(qint64 seconds)
{
    return Timestamp(std::chrono::seconds(seconds));
}

using Reset = std::function<void(TorrentData &)>;

const QList<std::pair<const char *, Reset>> &requiredFields()
{
    static const QList<std::pair<const char *, Reset>> fields{
        {"name", [](TorrentData &d) { d.name.reset(); }},
        {"size", [](TorrentData &d) { d.size.reset(); }},
        {"progress", [](TorrentData &d) { d.progress.reset(); }},
        {"dlspeed", [](TorrentData &d) { d.dlspeed.reset(); }},
        {"upspeed", [](TorrentData &d) { d.upspeed.reset(); }},
        {"downloaded", [](TorrentData &d) { d.downloaded.reset(); }},
        {"uploaded", [](TorrentData &d) { d.uploaded.reset(); }},
        {"eta", [](TorrentData &d) { d.eta.reset(); }},
        {"state", [](TorrentData &d) { d.state.reset(); }},
        {"ratio", [](TorrentData &d) { d.ratio.reset(); }},
        {"category", [](TorrentData &d) { d.category.reset(); }},
        {"tags", [](TorrentData &d) { d.tags.reset(); }},
        {"addedOn", [](TorrentData &d) { d.addedOn.reset(); }},
        {"completionOn", [](TorrentData &d) { d.completionOn.reset(); }},
        {"savePath", [](TorrentData &d) { d.savePath.reset(); }},
        {"numSeeds", [](TorrentData &d) { d.numSeeds.reset(); }},
        {"numLeechs", [](TorrentData &d) { d.numLeechs.reset(); }},
        {"numComplete", [](TorrentData &d) { d.numComplete.reset(); }},
        {"numIncomplete", [](TorrentData &d) { d.numIncomplete.reset(); }},
        {"priority", [](TorrentData &d) { d.priority.reset(); }},
    };
    return fields;
}

} // namespace

class TorrentRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void stateTable_data();
    void stateTable();
    void stateCasesInDeclaredOrder();
    void stateRawValuesAreExact_data();
    void stateRawValuesAreExact();

    void buildsFromServerAnswer();
    void everyRequiredFieldIsNeeded_data();
    void everyRequiredFieldIsNeeded();
    void unusedFieldsAreNotRequired();
    void unknownStateText();
    void completionInstant_data();
    void completionInstant();

    void updateKeepsWhatIsAbsent();
    void updateReplacesWhatIsPresent();
    void updateWithUnknownStateKeepsOldState();
    void updateClearsOrSetsCompletion();
    void updateFromServerAnswer();

    void pausedStates();
    void formattedETA_data();
    void formattedETA();
    void tagList_data();
    void tagList();
};

void TorrentRecordTest::stateTable_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("icon");
    const auto row = [](const char *raw, const char *display, const char *icon) {
        QTest::newRow(raw) << QString::fromUtf8(raw) << QString::fromUtf8(display) << QString::fromUtf8(icon);
    };
    row("downloading", "下载中", "arrow.down.circle.fill");
    row("uploading", "做种中", "arrow.up.circle.fill");
    row("pausedDL", "已暂停", "pause.circle.fill");
    row("pausedUP", "已暂停", "pause.circle.fill");
    row("stoppedDL", "已暂停", "pause.circle.fill");
    row("stoppedUP", "已暂停", "pause.circle.fill");
    row("stalledDL", "停滞", "exclamationmark.triangle.fill");
    row("stalledUP", "停滞", "exclamationmark.triangle.fill");
    row("checkingDL", "检查中", "checkmark.circle.fill");
    row("checkingUP", "检查中", "checkmark.circle.fill");
    row("checkingResumeData", "检查中", "checkmark.circle.fill");
    row("queuedDL", "排队中", "clock.fill");
    row("queuedUP", "排队中", "clock.fill");
    row("allocating", "分配空间", "opticaldiscdrive.fill");
    row("metaDL", "获取信息", "info.circle.fill");
    row("forcedDL", "强制下载", "arrow.down.circle.fill");
    row("forcedUP", "强制上传", "arrow.up.circle.fill");
    row("forcedMetaDL", "获取信息", "info.circle.fill");
    row("moving", "移动中", "folder.fill");
    row("missingFiles", "文件丢失", "xmark.circle.fill");
    row("error", "错误", "xmark.circle.fill");
    row("unknown", "未知", "questionmark.circle.fill");
}

void TorrentRecordTest::stateTable()
{
    QFETCH(QString, raw);
    QFETCH(QString, display);
    QFETCH(QString, icon);
    const auto state = TorrentStates::fromRawValue(raw);
    QVERIFY(state);
    QCOMPARE(TorrentStates::rawValue(*state), raw);
    QCOMPARE(TorrentStates::displayName(*state), display);
    QCOMPARE(TorrentStates::iconName(*state), icon);
}

void TorrentRecordTest::stateCasesInDeclaredOrder()
{
    const QList<TorrentState> &cases = TorrentStates::allCases();
    QCOMPARE(cases.size(), 22);
    for (qsizetype i = 0; i < cases.size(); ++i)
        QCOMPARE(int(cases[i]), int(i));
    QCOMPARE(cases.first(), TorrentState::downloading);
    QCOMPARE(cases.last(), TorrentState::unknown);
    // Every raw value leads back to its own case.
    for (const TorrentState state : cases)
        QCOMPARE(TorrentStates::fromRawValue(TorrentStates::rawValue(state)), std::optional(state));
}

void TorrentRecordTest::stateRawValuesAreExact_data()
{
    QTest::addColumn<QString>("raw");
    QTest::newRow("empty") << QString();
    QTest::newRow("capitalised") << QStringLiteral("Downloading");
    QTest::newRow("lower-case suffix") << QStringLiteral("pausedup");
    QTest::newRow("upper-case") << QStringLiteral("ERROR");
    QTest::newRow("trailing space") << QStringLiteral("uploading ");
    QTest::newRow("leading space") << QStringLiteral(" moving");
    QTest::newRow("prefix") << QStringLiteral("paused");
    QTest::newRow("one short") << QStringLiteral("checkingResumeDat");
    QTest::newRow("one long") << QStringLiteral("checkingResumeDataX");
    QTest::newRow("same length, other text") << QStringLiteral("pausedXX");
    QTest::newRow("newer server state") << QStringLiteral("stoppedMetaDL");
    QTest::newRow("case name of a filter") << QStringLiteral("seeding");
    QTest::newRow("full-width letters") << QStringLiteral("ｅｒｒｏｒ");
}

void TorrentRecordTest::stateRawValuesAreExact()
{
    QFETCH(QString, raw);
    QCOMPARE(TorrentStates::fromRawValue(raw), std::nullopt);
}

void TorrentRecordTest::buildsFromServerAnswer()
{
    const SyncData sync = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    QVERIFY(sync.torrents);
    QCOMPARE(sync.torrents->size(), 2);
    QList<Torrent> built;
    for (const auto &[hash, data] : *sync.torrents) {
        const auto torrent = Torrent::fromTorrentData(hash, data);
        QVERIFY2(torrent, qPrintable(hash));
        QCOMPARE(torrent->id, hash);
        built.append(*torrent);
    }

    const Torrent &magnet = built[0];
    QCOMPARE(magnet.name, QStringLiteral("ubuntu-demo.iso"));
    QCOMPARE(magnet.state, TorrentState::metaDL);
    QCOMPARE(magnet.completionOn, std::nullopt);
    QCOMPARE(magnet.addedOn, at(1796561958));
    QCOMPARE(magnet.formattedETA(), QStringLiteral("∞"));
    QCOMPARE(magnet.tagList(), QStringList{QStringLiteral("iso")});

    const Torrent &seed = built[1];
    QCOMPARE(seed.id, kHash);
    QCOMPARE(seed.state, TorrentState::stalledUP);
    QCOMPARE(seed.progress, 1.0);
    QCOMPARE(seed.ratio, 0.0);
    QCOMPARE(seed.size, 100000);
    QCOMPARE(seed.category, QStringLiteral("test"));
    QCOMPARE(seed.completionOn, std::optional(at(1796557629)));
    QCOMPARE(seed.tagList(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(!seed.isPaused());
}

void TorrentRecordTest::everyRequiredFieldIsNeeded_data()
{
    QTest::addColumn<int>("field");
    for (qsizetype i = 0; i < requiredFields().size(); ++i)
        QTest::newRow(requiredFields()[i].first) << int(i);
}

void TorrentRecordTest::everyRequiredFieldIsNeeded()
{
    QFETCH(int, field);
    TorrentData data = completeData();
    requiredFields()[field].second(data);
    QCOMPARE(Torrent::fromTorrentData(kHash, data), std::nullopt);
}

void TorrentRecordTest::unusedFieldsAreNotRequired()
{
    TorrentData data = completeData();
    QVERIFY(!data.reannounce && !data.seedingTime && !data.timeActive && !data.popularity && !data.tracker);
    QVERIFY(Torrent::fromTorrentData(kHash, data));

    data.reannounce = 1;
    data.seedingTime = 2;
    data.timeActive = 3;
    data.popularity = 4.5;
    data.tracker = QStringLiteral("http://tracker.example/announce");
    QCOMPARE(Torrent::fromTorrentData(kHash, data), std::optional(makeTorrent()));
}

void TorrentRecordTest::unknownStateText()
{
    TorrentData data = completeData();
    data.state = QStringLiteral("stoppedUP");
    const Torrent stopped = makeTorrent(data);
    QCOMPARE(TorrentStates::displayName(stopped.state), QStringLiteral("已暂停"));
    QCOMPARE(TorrentStates::iconName(stopped.state), QStringLiteral("pause.circle.fill"));
    QVERIFY(stopped.isPaused());

    for (const QString &text : {QStringLiteral("teleporting"), QStringLiteral("StoppedUP"), QString()}) {
        data.state = text;
        const Torrent strange = makeTorrent(data);
        QCOMPARE(strange.state, TorrentState::unknown);
        QCOMPARE(TorrentStates::displayName(strange.state), QStringLiteral("未知"));
        QCOMPARE(TorrentStates::iconName(strange.state), QStringLiteral("questionmark.circle.fill"));
    }
}

void TorrentRecordTest::completionInstant_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<bool>("present");
    QTest::newRow("zero") << qint64(0) << false;
    QTest::newRow("minus one") << qint64(-1) << false;
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << false;
    QTest::newRow("one") << qint64(1) << true;
    QTest::newRow("2023-11-14") << qint64(1700000000) << true;
}

void TorrentRecordTest::completionInstant()
{
    QFETCH(qint64, seconds);
    QFETCH(bool, present);
    TorrentData data = completeData();
    data.completionOn = seconds;
    const Torrent torrent = makeTorrent(data);
    QCOMPARE(torrent.completionOn.has_value(), present);
    if (present)
        QCOMPARE(torrent.completionOn->time_since_epoch(), std::chrono::seconds(seconds));
    if (seconds == 1700000000) {
        const auto utc = QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC);
        QCOMPARE(torrent.completionOn->time_since_epoch().count(), utc.toSecsSinceEpoch());
    }
}

void TorrentRecordTest::updateKeepsWhatIsAbsent()
{
    const Torrent original = makeTorrent();
    QCOMPARE(original.updatedWith(TorrentData{}), original);

    TorrentData onlySpeed;
    onlySpeed.dlspeed = 999;
    Torrent expected = original;
    expected.dlspeed = 999;
    QCOMPARE(original.updatedWith(onlySpeed), expected);
}

void TorrentRecordTest::updateReplacesWhatIsPresent()
{
    TorrentData start = completeData();
    start.completionOn = 1600000000;
    const Torrent original = makeTorrent(start);

    TorrentData change;
    change.name = QStringLiteral("renamed 新名字");
    change.size = 1;
    change.progress = 1.0;
    change.dlspeed = 0;
    change.upspeed = 7;
    change.downloaded = 8;
    change.uploaded = 9;
    change.eta = 8640000;
    change.state = QStringLiteral("uploading");
    change.ratio = 2.5;
    change.category = QString();
    change.tags = QString();
    change.addedOn = 1500000000;
    change.completionOn = 1700000000;
    change.savePath = QStringLiteral("/elsewhere");
    change.numSeeds = 11;
    change.numLeechs = 12;
    change.numComplete = 13;
    change.numIncomplete = 14;
    change.priority = -1;
    change.tracker = QStringLiteral("ignored");

    const Torrent updated = original.updatedWith(change);
    // The full record built from the same values, under the original hash: nothing kept, nothing
    // forgotten.
    QCOMPARE(updated, *Torrent::fromTorrentData(kHash, change));
    QCOMPARE(updated.id, kHash);
    QCOMPARE(updated.state, TorrentState::uploading);
    QCOMPARE(updated.addedOn, at(1500000000));
    QCOMPARE(updated.category, QString());
    // Replacing is not merging into the old copy.
    QCOMPARE(original.name, QStringLiteral("sample.bin"));
}

void TorrentRecordTest::updateWithUnknownStateKeepsOldState()
{
    const Torrent downloading = makeTorrent();
    QCOMPARE(downloading.state, TorrentState::downloading);
    TorrentData strange;
    strange.state = QStringLiteral("hibernating");
    QCOMPARE(downloading.updatedWith(strange), downloading);

    TorrentData known;
    known.state = QStringLiteral("forcedMetaDL");
    QCOMPARE(downloading.updatedWith(known).state, TorrentState::forcedMetaDL);
}

void TorrentRecordTest::updateClearsOrSetsCompletion()
{
    TorrentData start = completeData();
    start.completionOn = 1700000000;
    const Torrent completed = makeTorrent(start);
    QVERIFY(completed.completionOn);

    TorrentData cleared;
    cleared.completionOn = -1;
    QCOMPARE(completed.updatedWith(cleared).completionOn, std::nullopt);
    cleared.completionOn = 0;
    QCOMPARE(completed.updatedWith(cleared).completionOn, std::nullopt);

    TorrentData set;
    set.completionOn = 1;
    QCOMPARE(makeTorrent().updatedWith(set).completionOn, std::optional(at(1)));
}

void TorrentRecordTest::updateFromServerAnswer()
{
    const SyncData full = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    const SyncData next = SyncData::fromJson(fixture(QStringLiteral("maindata-rid1-after-pause.json")));
    QVERIFY(full.torrents && next.torrents);
    const auto &[hash, data] = full.torrents->at(1);
    const Torrent before = *Torrent::fromTorrentData(hash, data);
    QCOMPARE(next.torrents->size(), 1);
    QCOMPARE(next.torrents->first().first, hash);

    const Torrent after = before.updatedWith(next.torrents->first().second);
    QCOMPARE(after.state, TorrentState::pausedUP);
    QVERIFY(after.isPaused());
    Torrent expected = before;
    expected.state = TorrentState::pausedUP;
    QCOMPARE(after, expected);
}

void TorrentRecordTest::pausedStates()
{
    const QList<TorrentState> paused{TorrentState::pausedDL, TorrentState::pausedUP, TorrentState::stoppedDL,
                                     TorrentState::stoppedUP};
    Torrent torrent = makeTorrent();
    for (const TorrentState state : TorrentStates::allCases()) {
        torrent.state = state;
        QCOMPARE(torrent.isPaused(), paused.contains(state));
    }
}

void TorrentRecordTest::formattedETA_data()
{
    QTest::addColumn<qint64>("eta");
    QTest::addColumn<QString>("text");
    QTest::newRow("minus one") << qint64(-1) << QStringLiteral("∞");
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << QStringLiteral("∞");
    QTest::newRow("no estimate") << qint64(8640000) << QStringLiteral("∞");
    QTest::newRow("just below no estimate") << qint64(8639999) << QStringLiteral("2399h 59m");
    QTest::newRow("just above no estimate") << qint64(8640001) << QStringLiteral("2400h 0m");
    QTest::newRow("one hour") << qint64(3600) << QStringLiteral("1h 0m");
    QTest::newRow("1h 2m 5s") << qint64(3725) << QStringLiteral("1h 2m");
    QTest::newRow("below an hour") << qint64(3599) << QStringLiteral("59m 59s");
    QTest::newRow("2m 5s") << qint64(125) << QStringLiteral("2m 5s");
    QTest::newRow("one minute") << qint64(60) << QStringLiteral("1m 0s");
    QTest::newRow("59 s") << qint64(59) << QStringLiteral("59s");
    QTest::newRow("zero") << qint64(0) << QStringLiteral("0s");
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << QStringLiteral("2562047788015215h 30m");
}

void TorrentRecordTest::formattedETA()
{
    QFETCH(qint64, eta);
    QFETCH(QString, text);
    Torrent torrent = makeTorrent();
    torrent.eta = eta;
    QCOMPARE(torrent.formattedETA(), text);
}

void TorrentRecordTest::tagList_data()
{
    QTest::addColumn<QString>("tags");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("spaces and an empty piece")
        << QStringLiteral("a, b,,c ")
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("only blanks") << QStringLiteral(" , ") << QStringList();
    QTest::newRow("only commas") << QStringLiteral(",,,") << QStringList();
    QTest::newRow("order and duplicates")
        << QStringLiteral("b,a,b")
        << QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("inner space stays")
        << QStringLiteral(" hd remux ,x") << QStringList{QStringLiteral("hd remux"), QStringLiteral("x")};
    QTest::newRow("tab") << QStringLiteral("\ta\t,\tb")
                         << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("ideographic and no-break spaces")
        << QStringLiteral("\u3000电影\u00A0,\u2003音乐\u200A")
        << QStringList{QStringLiteral("电影"), QStringLiteral("音乐")};
    QTest::newRow("line feed stays") << QStringLiteral("a\n, b\r")
                                     << QStringList{QStringLiteral("a\n"), QStringLiteral("b\r")};
    QTest::newRow("line separator stays")
        << QStringLiteral("\u2028") << QStringList{QStringLiteral("\u2028")};
    QTest::newRow("zero-width space is no space")
        << QStringLiteral("\u200Bx") << QStringList{QStringLiteral("\u200Bx")};
    QTest::newRow("a tag beyond the BMP")
        << QStringLiteral(" 🎬 ,🎵") << QStringList{QStringLiteral("🎬"), QStringLiteral("🎵")};
}

void TorrentRecordTest::tagList()
{
    QFETCH(QString, tags);
    QFETCH(QStringList, list);
    Torrent torrent = makeTorrent();
    torrent.tags = tags;
    QCOMPARE(torrent.tagList(), list);
}

QTEST_GUILESS_MAIN(TorrentRecordTest)
#include "tst_TorrentRecord.moc"
