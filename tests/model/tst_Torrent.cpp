// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The torrent record (texts, building and updating from the server's fields) and the filters and
// sort orders of the torrent list.
#include "DecodingFailure.h"

#include "model/Formatting.h"
#include "model/JsonRecords.h"
#include "model/Torrent.h"
#include "model/TorrentFilter.h"
#include "support/Fixtures.h"

#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

const QString kHash = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d");

// A complete record in the server's spelling.
QJsonObject serverFields()
{
    return QJsonDocument::fromJson(snapshotInputs(u"torrent-data-sample.cases"_qs).constFirst().second)
        .object();
}

// serverFields, where `change` overrides or adds keys.
TorrentData data(const QByteArray &change = "{}")
{
    QJsonObject object = serverFields();
    const QJsonObject overrides = QJsonDocument::fromJson(change).object();
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        object.insert(it.key(), *it);
    return TorrentData::fromJson(QJsonDocument(object).toJson());
}

Torrent makeTorrent(const QByteArray &change = "{}")
{
    return Torrent::fromTorrentData(kHash, data(change)).value();
}

using Filter = TorrentFilter;
using Sort = TorrentSortOption;

Torrent torrent(const QString &id, TorrentState state = TorrentState::downloading, double progress = 0.5)
{
    Torrent t;
    t.id = id;
    t.name = id;
    t.state = state;
    t.progress = progress;
    return t;
}

QStringList idsOf(const QList<Torrent> &list)
{
    QStringList ids;
    std::ranges::transform(list, std::back_inserter(ids), &Torrent::id);
    return ids;
}

QStringList sortedIds(const QList<Torrent> &list, Sort sort)
{
    return idsOf(filterAndSort(list, Filter::all, std::nullopt, std::nullopt, sort));
}

// The pipeline spelled out in the slowest, plainest way, to hold the fast one against.
QList<Torrent> referencePipeline(const QList<Torrent> &torrents, Filter filter,
                                 const std::optional<QString> &category, const std::optional<QString> &tag,
                                 Sort sort)
{
    QList<Torrent> kept;
    for (const Torrent &t : torrents) {
        if ((filter == Filter::all || TorrentFilters::matches(filter, t)) &&
            (!category || t.category == *category) && (!tag || t.tagList().contains(*tag)))
            kept.append(t);
    }
    std::stable_sort(kept.begin(), kept.end(), [sort](const Torrent &a, const Torrent &b) {
        return TorrentSortOptions::areInIncreasingOrder(sort, a, b);
    });
    return kept;
}

// Names that mix composed and decomposed forms, case, characters beyond the BMP, long shared
// beginnings, names that begin others, a NUL unit, surrogates against U+FFxx around the eighth unit.
QStringList sampleNames()
{
    QStringList names;
    for (const auto &[id, name] : snapshotInputs(u"names.cases"_qs))
        names.append(QString::fromUtf8(name));
    return names;
}

// Few distinct values per key, so that ties (and with them the stability of the sort) are the rule.
QList<Torrent> randomTorrents(int count, unsigned seed)
{
    static const QStringList names = sampleNames();
    static const QStringList categories{QString(), u"linux"_qs, u"Linux"_qs};
    static const QStringList tags{QString(), u"a, b"_qs, u"b"_qs, u" hd ,remux"_qs, u"ab"_qs};
    const QList<TorrentState> &states = TorrentStates::allCases();
    std::mt19937 random(seed);
    QList<Torrent> list;
    for (int i = 0; i < count; ++i) {
        Torrent t;
        t.id = QString::number(i);
        t.name = names[random() % names.size()];
        t.state = states[random() % states.size()];
        t.progress = double(random() % 5) / 4;
        t.size = qint64(random() % 4) * 1000;
        t.dlspeed = random() % 3;
        t.upspeed = random() % 3;
        t.ratio = random() % 7 == 0 ? std::nan("") : double(random() % 3);
        t.addedOn = Timestamp(std::chrono::seconds(1700000000 + random() % 4));
        t.category = categories[random() % categories.size()];
        t.tags = tags[random() % tags.size()];
        list.append(t);
    }
    return list;
}

} // namespace

class TorrentTest : public QObject
{
    Q_OBJECT

private slots:
    // Each state's index, raw value, display name, icon and whether it counts as paused, in
    // declared order; then the texts of completion instants, ETAs, tag lists, ratios, progress,
    // sizes and rates.
    void texts()
    {
        SnapshotLog log;
        for (const TorrentState state : TorrentStates::allCases()) {
            const QString raw = TorrentStates::rawValue(state);
            QCOMPARE(TorrentStates::fromRawValue(raw), std::optional(state));
            const Torrent torrent = makeTorrent("{\"state\":\"" + raw.toUtf8() + "\"}");
            QCOMPARE(torrent.state, state);
            log.add(QString::number(int(state)) + u' ' + raw,
                    TorrentStates::displayName(state) + u' ' + TorrentStates::iconName(state) +
                        (torrent.isPaused() ? u" paused"_qs : QString()));
        }
        // A completion instant below 1 is none, when built and when updated.
        for (const qint64 seconds : {qint64(0), qint64(-1), std::numeric_limits<qint64>::min(), qint64(1)}) {
            const Torrent built = makeTorrent("{\"completion_on\":" + QByteArray::number(seconds) + '}');
            TorrentData change;
            change.completionOn = seconds;
            QCOMPARE(makeTorrent().updatedWith(change).completionOn, built.completionOn);
            log.add(u"completion "_qs + QString::number(seconds),
                    built.completionOn ? QString::number(built.completionOn->time_since_epoch().count())
                                       : u"none"_qs);
        }
        // Space separators (Zs) and tabs are trimmed from tags; line breaks and zero-width spaces are
        // text. Exact binary halves of a ratio round to even, like printf; every other value rounds
        // as its binary value dictates (2.675 is stored as 2.67499999...).
        Torrent torrent = makeTorrent();
        const QHash<QString, std::function<QString(const QString &)>> texts{
            {u"eta"_qs,
             [&](const QString &eta) { return torrent.eta = eta.toLongLong(), torrent.formattedETA(); }},
            {u"tags"_qs,
             [&](const QString &tags) {
                 return torrent.tags = tags, u'[' + torrent.tagList().join(u"]["_qs) + u']';
             }},
            {u"ratio"_qs, [](const QString &ratio) { return formatRatio(ratio.toDouble()); }},
            {u"progress"_qs, [](const QString &progress) { return formatProgress(progress.toDouble()); }},
            {u"bytes"_qs, [](const QString &bytes) { return formatBytes(bytes.toLongLong()); }}};
        for (const auto &[kind, bytes] : snapshotInputs(u"texts.cases"_qs)) {
            const QString input = QString::fromUtf8(bytes);
            log.add(kind + u' ' + (kind == u"tags" ? u'"' + input + u'"' : input), texts[kind](input));
        }
        log.compare(u"torrent-texts.snap"_qs);
    }

    void builtFromServerAnswerAsSnapshot()
    {
        const SyncData sync = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
        QList<Torrent> built;
        for (const auto &[hash, torrentData] : *sync.torrents)
            built.append(Torrent::fromTorrentData(hash, torrentData).value());
        compareSnapshot(u"torrents-from-server.snap"_qs, snapshotText(json::encodeDocument(built)));
    }

    void everyRequiredFieldIsNeeded()
    {
        // Limits and download options are kept when sent, and 0 or false until then.
        const QStringList optional{"dl_limit", "up_limit", "force_start", "seq_dl", "f_l_piece_prio"};
        for (const QString &key : serverFields().keys())
            QVERIFY2(Torrent::fromTorrentData(kHash, data("{\"" + key.toUtf8() + "\":null}")).has_value() ==
                         optional.contains(key),
                     qPrintable(key));
        // The fields the record does not keep are never needed, and never change it.
        const QByteArray unkept =
            R"({"reannounce":1,"seeding_time":2,"time_active":3,"popularity":4.5,"tracker":"http://t/a"})";
        QCOMPARE(Torrent::fromTorrentData(kHash, data(unkept)), std::optional(makeTorrent()));
    }

    void update_data()
    {
        // An update equals the record built from the old values with the change laid over them;
        // an unknown state text is not laid over.
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<QByteArray>("expected");
        // clang-format off
        QTest::newRow("nothing") << QByteArray("{}") << QByteArray("{}");
        QTest::newRow("unknown state") << QByteArray(R"({"state":"hibernating","eta":1})") << QByteArray(R"({"eta":1})");
        QTest::newRow("known state") << QByteArray(R"({"state":"forcedMetaDL"})") << QByteArray(R"({"state":"forcedMetaDL"})");
        // clang-format on
        const QByteArray everything =
            R"({"name":"renamed 新名字","size":1,"progress":1,"dlspeed":0,"upspeed":7,
            "downloaded":8,"uploaded":9,"eta":8640000,"state":"uploading","ratio":2.5,"category":"","tags":"",
            "added_on":1500000000,"completion_on":1700000000,"save_path":"/elsewhere","num_seeds":11,"num_leechs":12,
            "num_complete":13,"num_incomplete":14,"priority":-1,"tracker":"ignored"})";
        QTest::newRow("everything") << everything << everything;
    }

    void update()
    {
        QFETCH(QByteArray, change);
        QFETCH(QByteArray, expected);
        const Torrent original = makeTorrent();
        QCOMPARE(original.updatedWith(TorrentData::fromJson(change)), makeTorrent(expected));
        QCOMPARE(original, makeTorrent());
    }

    // Every sort option with its raw value and display name in declared order (the filters' are
    // on the filter sheet); which filters hold each state at progress 0.5 and 1 (rates never
    // count), and past or just short of 1; raw values that are not.
    void casesAndFilters()
    {
        SnapshotLog log;
        for (const Filter filter : TorrentFilters::allCases())
            QCOMPARE(TorrentFilters::fromRawValue(TorrentFilters::rawValue(filter)), std::optional(filter));
        for (const Sort sort : TorrentSortOptions::allCases()) {
            QCOMPARE(TorrentSortOptions::fromRawValue(TorrentSortOptions::rawValue(sort)),
                     std::optional(sort));
            log.add(QString::number(int(sort)),
                    TorrentSortOptions::rawValue(sort) + u' ' + TorrentSortOptions::displayName(sort));
        }
        QList<std::pair<TorrentState, double>> cases;
        for (const TorrentState state : TorrentStates::allCases())
            cases << std::pair(state, 0.5) << std::pair(state, 1.0);
        for (const double progress : {1.5, 0.9999999, std::nan("")})
            cases << std::pair(TorrentState::downloading, progress);
        for (const auto &[state, progress] : cases) {
            Torrent t = torrent(TorrentStates::rawValue(state), state, progress);
            t.dlspeed = 1000;
            QStringList held;
            for (const Filter filter : TorrentFilters::allCases())
                if (TorrentFilters::matches(filter, t))
                    held.append(TorrentFilters::rawValue(filter));
            log.add(t.id + u' ' + QString::number(progress, 'g', 10), held.join(u' '));
        }
        // Raw values as filter, sort option and state; a state text from the server that is not
        // exactly a state's is the unknown state, not a failure.
        for (const QString &raw :
             {u"All"_qs, u"seeding "_qs, u"全部"_qs, QString(), u"uploading"_qs, u"complete"_qs,
              u"addedDate"_qs, u"downloadSpeed"_qs, u"defaultOrder"_qs, u"Name"_qs, u"added_on "_qs,
              u"Downloading"_qs, u"pausedup"_qs, u"uploading "_qs, u" moving"_qs, u"paused"_qs,
              u"checkingResumeDat"_qs, u"stoppedMetaDL"_qs, u"ｅｒｒｏｒ"_qs})
            log.add(u'"' + raw + u'"',
                    QString::number(TorrentFilters::fromRawValue(raw).has_value()) +
                        QString::number(TorrentSortOptions::fromRawValue(raw).has_value()) + u' ' +
                        TorrentStates::rawValue(
                            makeTorrent(QJsonDocument(QJsonObject{{u"state"_qs, raw}}).toJson()).state));
        log.compare(u"filters.snap"_qs);
    }

    // Exactly the one key of each option decides, in its direction: name alone ascends.
    void strictOrders()
    {
        using TorrentSortOptions::areInIncreasingOrder;
        const auto added = [](Torrent &t) { t.addedOn = Timestamp(std::chrono::seconds(1700000000)); };
        // clang-format off
        const QList<std::pair<Sort, void (*)(Torrent &)>> raise{
            {Sort::defaultOrder, added}, {Sort::addedDate, added}, {Sort::name, [](Torrent &t) { t.name = u"b"_qs; }},
            {Sort::size, [](Torrent &t) { t.size = 1; }}, {Sort::progress, [](Torrent &t) { t.progress = 0.75; }},
            {Sort::downloadSpeed, [](Torrent &t) { t.dlspeed = 1; }}, {Sort::uploadSpeed, [](Torrent &t) { t.upspeed = 1; }},
            {Sort::ratio, [](Torrent &t) { t.ratio = 0.01; }}};
        // clang-format on
        QCOMPARE(raise.size(), TorrentSortOptions::allCases().size());
        for (const auto &[option, change] : raise) {
            Torrent low = torrent(u"low"_qs);
            low.name = u"a"_qs;
            low.addedOn = Timestamp(std::chrono::seconds(-5));
            Torrent high = low;
            high.id = u"high"_qs;
            QVERIFY(!areInIncreasingOrder(option, low, high) && !areInIncreasingOrder(option, high, low));
            change(high);
            const bool highFirst = option != Sort::name;
            QCOMPARE(areInIncreasingOrder(option, high, low), highFirst);
            QCOMPARE(areInIncreasingOrder(option, low, high), !highFirst);
            QCOMPARE(sortedIds({low, high}, option).first(), highFirst ? u"high"_qs : u"low"_qs);
        }
    }

    // Names by the code points of their NFC forms (not pinyin, not UTF-16 order); equal names
    // keep their input order.
    void nameOrder()
    {
        const QStringList names = sampleNames();
        QList<Torrent> list;
        for (qsizetype i = 0; i < names.size(); ++i) {
            list.append(torrent(QString::number(i)));
            list.last().name = names[i];
        }
        SnapshotLog log;
        for (const QString &id : sortedIds(list, Sort::name)) {
            QStringList codePoints;
            for (const char32_t c : names[id.toInt()].toUcs4())
                codePoints.append(QString::number(c, 16));
            log.add(id, codePoints.join(u' '));
        }
        log.compare(u"name-order.snap"_qs);
    }

    void notANumberSortsLast()
    {
        Torrent nan = torrent(u"nan"_qs, {}, std::nan("")), low = torrent(u"low"_qs, {}, -qInf()),
                high = torrent(u"high"_qs, {}, 2);
        for (Torrent *t : {&nan, &low, &high})
            t->ratio = t->progress;
        for (const Sort s : {Sort::ratio, Sort::progress}) {
            QVERIFY(!TorrentSortOptions::areInIncreasingOrder(s, nan, low));
            QVERIFY(!TorrentSortOptions::areInIncreasingOrder(s, nan, nan));
            QCOMPARE(sortedIds(QList<Torrent>{nan, low, high}, s),
                     (QStringList{u"high"_qs, u"low"_qs, u"nan"_qs}));
        }
    }

    // A leading key never contradicts the shown order: a smaller key goes first, and of two
    // torrents in order the first never has the larger key; over awkward numbers and names.
    void leadingKeysFollowTheOrder()
    {
        const QList<double> numbers{std::nan(""), -qInf(), -1e300, -2, -0.0, 0.0, 1e-300, 0.5, 1, qInf()};
        QStringList names = sampleNames();
        names << u"e\u0301"_qs << u"\u00e9"_qs << u"abcdefgh"_qs << u"abcdefgi"_qs << u""_qs;
        QList<Torrent> list;
        for (qsizetype i = 0; i < std::max(numbers.size(), names.size()); ++i) {
            Torrent t = torrent(QString::number(i % 3));
            const double number = numbers[i % numbers.size()];
            t.progress = t.ratio = number;
            t.size = t.dlspeed = t.upspeed = std::abs(number) < 1e18 ? qint64(number * 4)
                                             : number > 0         ? std::numeric_limits<qint64>::max()
                                                                  : std::numeric_limits<qint64>::min();
            t.addedOn = Timestamp(std::chrono::seconds(t.size));
            t.name = names[i % names.size()];
            list.append(t);
        }
        for (const Sort option : TorrentSortOptions::allCases()) {
            for (const Torrent &a : list) {
                for (const Torrent &b : list) {
                    const qint64 ka = TorrentSortOptions::leadingKey(option, a);
                    const qint64 kb = TorrentSortOptions::leadingKey(option, b);
                    if (TorrentSortOptions::isShownBefore(option, a, b))
                        QVERIFY2(ka <= kb, qPrintable(TorrentSortOptions::rawValue(option)));
                    if (ka < kb)
                        QVERIFY2(TorrentSortOptions::isShownBefore(option, a, b),
                                 qPrintable(TorrentSortOptions::rawValue(option)));
                }
            }
        }
    }

    // The torrents that a status filter, a category and a tag keep, in the order of the input.
    void categoryAndTag()
    {
        using enum TorrentState;
        QList<Torrent> list;
        // clang-format off
        for (const auto &[id, state, category, tags] : std::initializer_list<std::tuple<QString, TorrentState, QString, QString>>{
                 {u"a"_qs, downloading, u"linux"_qs, u"iso, new"_qs}, {u"b"_qs, stalledDL, u"linux"_qs, u"iso"_qs},
                 {u"c"_qs, metaDL, QString(), u"iso"_qs}, {u"up"_qs, pausedUP, u"Linux"_qs, u"hd , remux"_qs},
                 {u"wide"_qs, pausedUP, QString(), u"\u3000hd\t,hdr"_qs}, {u"broken"_qs, pausedUP, QString(), u"hd\n"_qs},
                 {u"blank"_qs, pausedUP, QString(), u" , "_qs}}) {
            // clang-format on
            list.append(torrent(id, state));
            std::tie(list.last().category, list.last().tags) = std::tie(category, tags);
        }
        SnapshotLog log;
        const auto shown = [&](Filter filter, std::optional<QString> category, std::optional<QString> tag) {
            const QList<Torrent> kept = filterAndSort(list, filter, category, tag, Sort::size);
            // The kept torrents come back whole.
            for (const Torrent &t : kept)
                QVERIFY(list.contains(t));
            log.add(TorrentFilters::rawValue(filter) + u" \""_qs + category.value_or(u"*"_qs) + u"\" \""_qs +
                        tag.value_or(u"*"_qs) + u'"',
                    idsOf(kept).join(u' '));
        };
        const std::optional<QString> any;
        shown(Filter::all, any, any);
        shown(Filter::downloading, any, any);
        shown(Filter::downloading, u"linux"_qs, any);
        shown(Filter::inactive, u"linux"_qs, u"iso"_qs);
        shown(Filter::seeding, any, any);
        for (const QString &category : {QString(), u"Linux"_qs, u"lin"_qs, u"linux "_qs})
            shown(Filter::all, category, any);
        for (const QString &tag : {u"new"_qs, u"hd"_qs, u"hdr"_qs, u"h"_qs, u"HD"_qs, u"hd\n"_qs, QString()})
            shown(Filter::all, any, tag);
        log.compare(u"category-and-tag.snap"_qs);
    }

    // Few distinct values per key make ties the rule, so the stability of the sort counts too.
    void pipelineMatchesPlainSort()
    {
        unsigned seed = 1;
        const std::optional<QString> any;
        for (const Sort sort : TorrentSortOptions::allCases())
            for (const Filter filter : {Filter::all, Filter::inactive}) {
                const QList<Torrent> list = randomTorrents(600, seed++);
                for (const std::optional<QString> &category : {any, std::optional(u"linux"_qs)})
                    for (const std::optional<QString> &tag : {any, std::optional(u"b"_qs)})
                        QCOMPARE(idsOf(filterAndSort(list, filter, category, tag, sort)),
                                 idsOf(referencePipeline(list, filter, category, tag, sort)));
            }
    }
};

QTEST_GUILESS_MAIN(TorrentTest)
#include "tst_Torrent.moc"
