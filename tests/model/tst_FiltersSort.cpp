#include "model/Torrent.h"
#include "model/TorrentFilter.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

Torrent torrent(const QString &id, TorrentState state = TorrentState::downloading, double progress = 0.5)
{
    Torrent t;
    t.id = id;
    t.name = id;
    t.state = state;
    t.progress = progress;
    return t;
}

Torrent named(const QString &name)
{
    Torrent t = torrent(name);
    t.name = name;
    return t;
}

QStringList idsOf(const QList<Torrent> &list)
{
    QStringList ids;
    for (const Torrent &t : list)
        ids.append(t.id);
    return ids;
}

using Filter = TorrentFilter;
using Sort = TorrentSortOption;

// The pipeline spelled out in the slowest, plainest way, to hold the fast one against.
QList<Torrent> referencePipeline(const QList<Torrent> &torrents, Filter filter,
                                 const std::optional<QString> &category, const std::optional<QString> &tag,
                                 Sort sort)
{
    QList<Torrent> kept;
    for (const Torrent &t : torrents) {
        if (filter != Filter::all && !TorrentFilters::matches(filter, t))
            continue;
        if (category && t.category != *category)
            continue;
        if (tag && !t.tagList().contains(*tag))
            continue;
        kept.append(t);
    }
    std::stable_sort(kept.begin(), kept.end(), [sort](const Torrent &a, const Torrent &b) {
        return TorrentSortOptions::areInIncreasingOrder(sort, a, b);
    });
    return kept;
}

// Few distinct values per key, so that ties (and with them the stability of the sort) are the
// rule; names mix composed and decomposed forms, case and characters beyond the BMP.
QList<Torrent> randomTorrents(int count, unsigned seed)
{
    static const QStringList names{
        QStringLiteral("apple"), QStringLiteral("Zebra"), QStringLiteral("caf\u00e9"),
        QStringLiteral("cafe\u0301"), QStringLiteral("cafe"), QStringLiteral("数据合集"),
        QStringLiteral("\uFF21"), QStringLiteral("😀 smile"), QStringLiteral("a\u0301b"),
        QStringLiteral("\u00e1"), QString(), QStringLiteral("ubuntu.iso"), QStringLiteral("\u1100\u1161"),
        // Long shared beginnings, names that are the beginnings of
        // others, a NUL unit, surrogates against U+FFxx before and
        // after the eighth unit.
        QStringLiteral("ubuntu-24.04-desktop"), QStringLiteral("ubuntu-24.04-server"),
        QStringLiteral("ubuntu-2"), QStringLiteral("ubuntu-24"), QStringLiteral("ubuntu-2\u0000"),
        QStringLiteral("abcdefg\uFF21"), QStringLiteral("abcdefg😀"), QStringLiteral("abcdefgh\uFF21"),
        QStringLiteral("abcdefgh😀")};
    static const QStringList categories{QString(), QStringLiteral("linux"), QStringLiteral("Linux")};
    static const QStringList tags{QString(), QStringLiteral("a, b"), QStringLiteral("b"),
                                  QStringLiteral(" hd ,remux"), QStringLiteral("ab")};
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

class FiltersSortTest : public QObject
{
    Q_OBJECT

private slots:
    void filterCases();
    void filterRawValuesAreExact();
    void sortCases();
    void sortRawValuesAreServerFields();

    void filterPredicates_data();
    void filterPredicates();
    void activeAndInactiveSplitEveryState();
    void completedLooksOnlyAtProgress();
    void edgeCaseStates();

    void strictOrders_data();
    void strictOrders();
    void newestFirst();
    void nameIsCodePointOrder();
    void nameComparesCanonicalForms();
    void nameBeyondTheBmp();
    void notANumberSortsLast();

    void pipelineFiltersInOrder();
    void categoryIsExact();
    void tagIsAWholeTrimmedPiece();
    void sortIsStable();
    void pipelineMatchesPlainSort_data();
    void pipelineMatchesPlainSort();
};

void FiltersSortTest::filterCases()
{
    const QList<Filter> expected{Filter::all,    Filter::downloading, Filter::seeding, Filter::completed,
                                 Filter::paused, Filter::active,      Filter::inactive};
    QCOMPARE(TorrentFilters::allCases(), expected);
    const QStringList raw{QStringLiteral("all"),     QStringLiteral("downloading"),
                          QStringLiteral("seeding"), QStringLiteral("completed"),
                          QStringLiteral("paused"),  QStringLiteral("active"),
                          QStringLiteral("inactive")};
    const QStringList names{QStringLiteral("全部"),   QStringLiteral("下载中"), QStringLiteral("做种中"),
                            QStringLiteral("已完成"), QStringLiteral("已暂停"), QStringLiteral("活动"),
                            QStringLiteral("非活动")};
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(TorrentFilters::rawValue(expected[i]), raw[i]);
        QCOMPARE(TorrentFilters::displayName(expected[i]), names[i]);
        QCOMPARE(TorrentFilters::fromRawValue(raw[i]), std::optional(expected[i]));
    }
}

void FiltersSortTest::filterRawValuesAreExact()
{
    for (const QString &raw : {QStringLiteral("All"), QStringLiteral("seeding "), QStringLiteral("全部"),
                               QString(), QStringLiteral("uploading"), QStringLiteral("complete")})
        QCOMPARE(TorrentFilters::fromRawValue(raw), std::nullopt);
}

void FiltersSortTest::sortCases()
{
    const QList<Sort> expected{Sort::defaultOrder, Sort::name,          Sort::size,        Sort::progress,
                               Sort::addedDate,    Sort::downloadSpeed, Sort::uploadSpeed, Sort::ratio};
    QCOMPARE(TorrentSortOptions::allCases(), expected);
    const QStringList raw{QStringLiteral("default"),  QStringLiteral("name"),     QStringLiteral("size"),
                          QStringLiteral("progress"), QStringLiteral("added_on"), QStringLiteral("dlspeed"),
                          QStringLiteral("upspeed"),  QStringLiteral("ratio")};
    const QStringList names{QStringLiteral("默认"),     QStringLiteral("名称"),
                            QStringLiteral("大小"),     QStringLiteral("进度"),
                            QStringLiteral("添加时间"), QStringLiteral("下载速度"),
                            QStringLiteral("上传速度"), QStringLiteral("分享率")};
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(TorrentSortOptions::rawValue(expected[i]), raw[i]);
        QCOMPARE(TorrentSortOptions::displayName(expected[i]), names[i]);
        QCOMPARE(TorrentSortOptions::fromRawValue(raw[i]), std::optional(expected[i]));
    }
}

void FiltersSortTest::sortRawValuesAreServerFields()
{
    // The case names are not raw values.
    for (const QString &raw :
         {QStringLiteral("addedDate"), QStringLiteral("downloadSpeed"), QStringLiteral("uploadSpeed"),
          QStringLiteral("defaultOrder"), QStringLiteral("Name"), QStringLiteral("added_on "), QString()})
        QCOMPARE(TorrentSortOptions::fromRawValue(raw), std::nullopt);
    QCOMPARE(TorrentSortOptions::fromRawValue(u"added_on"), std::optional(Sort::addedDate));
}

void FiltersSortTest::filterPredicates_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("states");
    // The states each filter holds at progress 0.5 (so `completed` holds none).
    QTest::newRow("all") << int(Filter::all) << QStringList();
    QTest::newRow("downloading") << int(Filter::downloading)
                                 << QStringList{QStringLiteral("downloading"), QStringLiteral("metaDL")};
    QTest::newRow("seeding") << int(Filter::seeding) << QStringList{QStringLiteral("uploading")};
    QTest::newRow("completed") << int(Filter::completed) << QStringList();
    QTest::newRow("paused") << int(Filter::paused)
                            << QStringList{QStringLiteral("pausedDL"), QStringLiteral("pausedUP"),
                                           QStringLiteral("stoppedDL"), QStringLiteral("stoppedUP")};
    QTest::newRow("active") << int(Filter::active)
                            << QStringList{QStringLiteral("downloading"), QStringLiteral("uploading"),
                                           QStringLiteral("forcedDL"),    QStringLiteral("forcedUP"),
                                           QStringLiteral("metaDL"),      QStringLiteral("forcedMetaDL")};
}

void FiltersSortTest::filterPredicates()
{
    QFETCH(int, filter);
    QFETCH(QStringList, states);
    for (const TorrentState state : TorrentStates::allCases()) {
        const QString raw = TorrentStates::rawValue(state);
        const bool expected = Filter(filter) == Filter::all || states.contains(raw);
        Torrent t = torrent(raw, state, 0.5);
        t.dlspeed = 1000; // rates never count
        QVERIFY2(TorrentFilters::matches(Filter(filter), t) == expected, qPrintable(raw));
    }
}

void FiltersSortTest::activeAndInactiveSplitEveryState()
{
    for (const TorrentState state : TorrentStates::allCases()) {
        const Torrent t = torrent(TorrentStates::rawValue(state), state);
        QVERIFY(TorrentFilters::matches(Filter::active, t) != TorrentFilters::matches(Filter::inactive, t));
    }
}

void FiltersSortTest::completedLooksOnlyAtProgress()
{
    for (const TorrentState state : TorrentStates::allCases()) {
        QVERIFY(TorrentFilters::matches(Filter::completed, torrent(u"x"_qs, state, 1.0)));
        QVERIFY(TorrentFilters::matches(Filter::completed, torrent(u"x"_qs, state, 1.5)));
        QVERIFY(!TorrentFilters::matches(Filter::completed, torrent(u"x"_qs, state, 0.9999999)));
        QVERIFY(!TorrentFilters::matches(Filter::completed, torrent(u"x"_qs, state, std::nan(""))));
    }
}

void FiltersSortTest::edgeCaseStates()
{
    const auto holding = [](const Torrent &t) {
        QList<Filter> list;
        for (const Filter f : TorrentFilters::allCases())
            if (TorrentFilters::matches(f, t))
                list.append(f);
        return list;
    };
    QCOMPARE(holding(torrent(u"f"_qs, TorrentState::forcedDL)), (QList<Filter>{Filter::all, Filter::active}));
    QCOMPARE(holding(torrent(u"s"_qs, TorrentState::uploading, 1.0)),
             (QList<Filter>{Filter::all, Filter::seeding, Filter::completed, Filter::active}));
    QCOMPARE(holding(torrent(u"u"_qs, TorrentState::unknown)),
             (QList<Filter>{Filter::all, Filter::inactive}));
    QCOMPARE(holding(torrent(u"u"_qs, TorrentState::unknown, 1.0)),
             (QList<Filter>{Filter::all, Filter::completed, Filter::inactive}));
    QCOMPARE(holding(torrent(u"p"_qs, TorrentState::pausedUP, 1.0)),
             (QList<Filter>{Filter::all, Filter::completed, Filter::paused, Filter::inactive}));
    for (const TorrentState state :
         {TorrentState::stalledDL, TorrentState::queuedDL, TorrentState::checkingDL})
        QCOMPARE(holding(torrent(u"d"_qs, state)), (QList<Filter>{Filter::all, Filter::inactive}));
}

void FiltersSortTest::strictOrders_data()
{
    QTest::addColumn<int>("sort");
    for (const Sort s : TorrentSortOptions::allCases())
        QTest::newRow(qPrintable(TorrentSortOptions::rawValue(s))) << int(s);
}

void FiltersSortTest::strictOrders()
{
    QFETCH(int, sort);
    const Sort option = Sort(sort);
    Torrent low = torrent(u"low"_qs);
    low.name = u"a"_qs;
    Torrent high = low;
    high.id = u"high"_qs;
    QVERIFY(!TorrentSortOptions::areInIncreasingOrder(option, low, high));
    QVERIFY(!TorrentSortOptions::areInIncreasingOrder(option, high, low));
    QVERIFY(!TorrentSortOptions::areInIncreasingOrder(option, low, low));

    // Exactly the one key of the option decides, in its direction.
    switch (option) {
    case Sort::defaultOrder:
    case Sort::addedDate:
        high.addedOn += std::chrono::seconds(1);
        break;
    case Sort::name:
        high.name = u"b"_qs;
        break;
    case Sort::size:
        high.size = 1;
        break;
    case Sort::progress:
        high.progress = 0.75;
        break;
    case Sort::downloadSpeed:
        high.dlspeed = 1;
        break;
    case Sort::uploadSpeed:
        high.upspeed = 1;
        break;
    case Sort::ratio:
        high.ratio = 0.01;
        break;
    }
    // Name alone ascends; every other key puts the larger first.
    const bool highFirst = option != Sort::name;
    QCOMPARE(TorrentSortOptions::areInIncreasingOrder(option, high, low), highFirst);
    QCOMPARE(TorrentSortOptions::areInIncreasingOrder(option, low, high), !highFirst);
}

void FiltersSortTest::newestFirst()
{
    Torrent older = torrent(u"old"_qs);
    older.addedOn = Timestamp(std::chrono::seconds(-5));
    Torrent newer = torrent(u"new"_qs);
    newer.addedOn = Timestamp(std::chrono::seconds(1700000000));
    newer.size = -1;
    for (const Sort s : {Sort::defaultOrder, Sort::addedDate}) {
        QCOMPARE(idsOf(filterAndSort({older, newer}, Filter::all, std::nullopt, std::nullopt, s)),
                 (QStringList{u"new"_qs, u"old"_qs}));
    }
}

void FiltersSortTest::nameIsCodePointOrder()
{
    const auto before = [](const QString &a, const QString &b) {
        return TorrentSortOptions::areInIncreasingOrder(Sort::name, named(a), named(b));
    };
    QVERIFY(before(u"Zebra"_qs, u"apple"_qs));
    QVERIFY(!before(u"apple"_qs, u"Zebra"_qs));
    QVERIFY(before(u"abc"_qs, u"abcd"_qs));
    QVERIFY(!before(u"abcd"_qs, u"abc"_qs));
    QVERIFY(before(QString(), u"a"_qs));
    QVERIFY(!before(QString(), QString()));
    QVERIFY(before(u"z"_qs, u"数据"_qs));
    QVERIFY(before(u"合集"_qs, u"数据"_qs)); // U+5408 < U+6570, not pinyin order
    QVERIFY(!before(u"Ünïcode"_qs, u"Ünïcode"_qs));
}

void FiltersSortTest::nameComparesCanonicalForms()
{
    const auto before = [](const QString &a, const QString &b) {
        return TorrentSortOptions::areInIncreasingOrder(Sort::name, named(a), named(b));
    };
    const QString composed = QStringLiteral("caf\u00e9");
    const QString decomposed = QStringLiteral("cafe\u0301");
    QVERIFY(!before(composed, decomposed));
    QVERIFY(!before(decomposed, composed));
    // Decomposed, "a" + U+0301 would sort before "b"; composed it is U+00E1, after it.
    QVERIFY(before(u"b"_qs, QStringLiteral("a\u0301")));
    QVERIFY(!before(QStringLiteral("a\u0301"), u"b"_qs));
    // Reordering of combining marks is part of the canonical form.
    QVERIFY(!before(QStringLiteral("q\u0323\u0307"), QStringLiteral("q\u0307\u0323")));
    // Hangul jamo compose into one syllable (U+AC00), which sorts after U+1101.
    QVERIFY(before(QStringLiteral("\u1101"), QStringLiteral("\u1100\u1161")));

    const QList<Torrent> list{named(QStringLiteral("a\u0301")), named(u"b"_qs), named(decomposed),
                              named(composed)};
    QCOMPARE(idsOf(filterAndSort(list, Filter::all, std::nullopt, std::nullopt, Sort::name)),
             (QStringList{u"b"_qs, decomposed, composed, QStringLiteral("a\u0301")}));
}

void FiltersSortTest::nameBeyondTheBmp()
{
    // U+1F600 is stored as the surrogates D83D DE00, which UTF-16 order puts before U+FF21.
    const QString emoji = QStringLiteral("😀");
    const QString fullWidthA = QStringLiteral("\uFF21");
    const QString privateUse = QStringLiteral("\uE000");
    QVERIFY(TorrentSortOptions::areInIncreasingOrder(Sort::name, named(fullWidthA), named(emoji)));
    QVERIFY(!TorrentSortOptions::areInIncreasingOrder(Sort::name, named(emoji), named(fullWidthA)));
    QVERIFY(TorrentSortOptions::areInIncreasingOrder(Sort::name, named(privateUse), named(emoji)));
    QVERIFY(TorrentSortOptions::areInIncreasingOrder(Sort::name, named(u"\uD7FF"_qs), named(emoji)));
    // Astral characters among themselves keep their code-point order.
    QVERIFY(TorrentSortOptions::areInIncreasingOrder(Sort::name, named(u"𝄞"_qs), named(emoji)));

    const QList<Torrent> list{named(emoji), named(fullWidthA), named(u"z"_qs), named(privateUse)};
    QCOMPARE(idsOf(filterAndSort(list, Filter::all, std::nullopt, std::nullopt, Sort::name)),
             (QStringList{u"z"_qs, privateUse, fullWidthA, emoji}));
}

void FiltersSortTest::notANumberSortsLast()
{
    Torrent nan = torrent(u"nan"_qs);
    nan.ratio = nan.progress = std::nan("");
    Torrent low = torrent(u"low"_qs);
    low.ratio = low.progress = -std::numeric_limits<double>::infinity();
    Torrent high = torrent(u"high"_qs);
    high.ratio = high.progress = 2;
    for (const Sort s : {Sort::ratio, Sort::progress}) {
        QVERIFY(TorrentSortOptions::areInIncreasingOrder(s, low, nan));
        QVERIFY(!TorrentSortOptions::areInIncreasingOrder(s, nan, low));
        QVERIFY(!TorrentSortOptions::areInIncreasingOrder(s, nan, nan));
        QCOMPARE(idsOf(filterAndSort({nan, low, high}, Filter::all, std::nullopt, std::nullopt, s)),
                 (QStringList{u"high"_qs, u"low"_qs, u"nan"_qs}));
    }
}

void FiltersSortTest::pipelineFiltersInOrder()
{
    Torrent a = torrent(u"a"_qs, TorrentState::downloading);
    a.category = u"linux"_qs;
    a.tags = u"iso, new"_qs;
    Torrent b = torrent(u"b"_qs, TorrentState::stalledDL);
    b.category = u"linux"_qs;
    b.tags = u"iso"_qs;
    Torrent c = torrent(u"c"_qs, TorrentState::metaDL);
    c.tags = u"iso"_qs;
    const QList<Torrent> list{a, b, c};
    const auto ids = [&list](Filter f, std::optional<QString> category, std::optional<QString> tag) {
        return idsOf(filterAndSort(list, f, category, tag, Sort::size));
    };
    QCOMPARE(ids(Filter::all, std::nullopt, std::nullopt), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
    QCOMPARE(ids(Filter::downloading, std::nullopt, std::nullopt), (QStringList{u"a"_qs, u"c"_qs}));
    QCOMPARE(ids(Filter::downloading, u"linux"_qs, std::nullopt), QStringList{u"a"_qs});
    QCOMPARE(ids(Filter::inactive, u"linux"_qs, u"iso"_qs), QStringList{u"b"_qs});
    QCOMPARE(ids(Filter::all, std::nullopt, u"new"_qs), QStringList{u"a"_qs});
    QCOMPARE(ids(Filter::seeding, std::nullopt, std::nullopt), QStringList());
    QCOMPARE(filterAndSort({}, Filter::all, std::nullopt, std::nullopt, Sort::name), QList<Torrent>());
    // The kept torrents come back whole.
    QCOMPARE(filterAndSort(list, Filter::all, std::nullopt, u"new"_qs, Sort::name), QList<Torrent>{a});
}

void FiltersSortTest::categoryIsExact()
{
    Torrent none = torrent(u"none"_qs);
    Torrent linux = torrent(u"linux"_qs);
    linux.category = u"linux"_qs;
    Torrent upper = torrent(u"Linux"_qs);
    upper.category = u"Linux"_qs;
    const QList<Torrent> list{none, linux, upper};
    const auto ids = [&list](std::optional<QString> category) {
        return idsOf(filterAndSort(list, Filter::all, category, std::nullopt, Sort::size));
    };
    QCOMPARE(ids(std::nullopt), (QStringList{u"none"_qs, u"linux"_qs, u"Linux"_qs}));
    QCOMPARE(ids(QString()), QStringList{u"none"_qs});
    QCOMPARE(ids(u"linux"_qs), QStringList{u"linux"_qs});
    QCOMPARE(ids(u"lin"_qs), QStringList());
    QCOMPARE(ids(u"linux "_qs), QStringList());
}

void FiltersSortTest::tagIsAWholeTrimmedPiece()
{
    Torrent two = torrent(u"two"_qs);
    two.tags = u"hd , remux"_qs;
    Torrent prefix = torrent(u"prefix"_qs);
    prefix.tags = u"hdr"_qs;
    Torrent wide = torrent(u"wide"_qs);
    wide.tags = QStringLiteral("\u3000hd\t");
    Torrent broken = torrent(u"broken"_qs);
    broken.tags = u"hd\n"_qs;
    Torrent blank = torrent(u"blank"_qs);
    blank.tags = u" , "_qs;
    const QList<Torrent> list{two, prefix, wide, broken, blank};
    const auto ids = [&list](const QString &tag) {
        return idsOf(filterAndSort(list, Filter::all, std::nullopt, tag, Sort::size));
    };
    QCOMPARE(ids(u"hd"_qs), (QStringList{u"two"_qs, u"wide"_qs}));
    QCOMPARE(ids(u"remux"_qs), QStringList{u"two"_qs});
    QCOMPARE(ids(u"hdr"_qs), QStringList{u"prefix"_qs});
    QCOMPARE(ids(u"h"_qs), QStringList());
    QCOMPARE(ids(u"HD"_qs), QStringList());
    QCOMPARE(ids(u"hd\n"_qs), QStringList{u"broken"_qs});
    // No tag is empty, so the empty tag holds nothing (as the tag counts say).
    QCOMPARE(ids(QString()), QStringList());
}

void FiltersSortTest::sortIsStable()
{
    QList<Torrent> list;
    for (int i = 0; i < 40; ++i) {
        Torrent t = torrent(QString::number(i));
        t.size = i % 2 ? 100 : 200;
        t.name = u"same"_qs;
        list.append(t);
    }
    QStringList expected;
    for (int i = 0; i < 40; i += 2)
        expected.append(QString::number(i));
    for (int i = 1; i < 40; i += 2)
        expected.append(QString::number(i));
    QCOMPARE(idsOf(filterAndSort(list, Filter::all, std::nullopt, std::nullopt, Sort::size)), expected);

    QStringList input;
    for (int i = 0; i < 40; ++i)
        input.append(QString::number(i));
    QCOMPARE(idsOf(filterAndSort(list, Filter::all, std::nullopt, std::nullopt, Sort::name)), input);
}

void FiltersSortTest::pipelineMatchesPlainSort_data()
{
    QTest::addColumn<int>("sort");
    QTest::addColumn<int>("filter");
    QTest::addColumn<unsigned>("seed");
    unsigned seed = 1;
    for (const Sort s : TorrentSortOptions::allCases()) {
        for (const Filter f : {Filter::all, Filter::inactive}) {
            const QByteArray name =
                TorrentSortOptions::rawValue(s).toLatin1() + ' ' + TorrentFilters::rawValue(f).toLatin1();
            QTest::newRow(name.constData()) << int(s) << int(f) << seed++;
        }
    }
}

void FiltersSortTest::pipelineMatchesPlainSort()
{
    QFETCH(int, sort);
    QFETCH(int, filter);
    QFETCH(unsigned, seed);
    const QList<Torrent> list = randomTorrents(600, seed);
    for (const std::optional<QString> &category : {std::optional<QString>(), std::optional(u"linux"_qs)}) {
        for (const std::optional<QString> &tag : {std::optional<QString>(), std::optional(u"b"_qs)}) {
            const QList<Torrent> fast = filterAndSort(list, Filter(filter), category, tag, Sort(sort));
            const QList<Torrent> plain = referencePipeline(list, Filter(filter), category, tag, Sort(sort));
            QCOMPARE(idsOf(fast), idsOf(plain));
        }
    }
}

QTEST_GUILESS_MAIN(FiltersSortTest)
#include "tst_FiltersSort.moc"
