// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The repository's torrent list: how sync answers merge into it, and sync passes and actions
// against the local test server (request framing, one pass in flight at a time, a repository
// that goes away mid-request, the faults a real server or network produces). After each fault
// the list keeps its last good state, the error says what happened in Chinese, and the next
// good answer brings back a full, correct list.
#include "api/ApiHarness.h"
#include "support/Fixtures.h"

#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(TestResponse)

namespace {

const QByteArray syncPath = QByteArrayLiteral("/api/v2/sync/maindata");
const QString h1 = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QString h2 = QStringLiteral("db022fb182e05e8b64241c9e5e39e019c8d65e3d"); // paused by the second answer

const Torrent *find(const QList<Torrent> &list, const QString &hash)
{
    const auto it = std::ranges::find(list, hash, &Torrent::id);
    return it == list.end() ? nullptr : &*it;
}

// Chinese text with something to say: not empty, not a bare code.
bool isClearChinese(const QString &text)
{
    return std::ranges::any_of(text, [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

} // namespace

class TorrentRepositoryTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ApiHarness> m_api;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<TorrentRepository> m_repository;

    static QByteArray fullAnswer() { return fixture(u"maindata-full.json"_qs); }
    bool refresh() { return runTask(m_repository->refresh()).finished; }
    void seed() { m_repository->apply(SyncData::fromJson(fullAnswer())); }

    QList<Torrent> loadFullList()
    {
        m_api->server.on(syncPath, TestResponse::json(fullAnswer()));
        return refresh(), m_repository->torrents();
    }

private Q_SLOTS:
    void init()
    {
        m_api = std::make_unique<ApiHarness>();
        m_api->storePassword();
        QVERIFY(m_api->connect());
        m_api->client.setTimeouts({400, 800});
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
        m_repository = std::make_unique<TorrentRepository>(m_api->client, *m_settings);
    }

    void cleanup() { m_repository.reset(), m_settings.reset(), m_api.reset(); }

    // Merges of answers into the list, after the recorded full answer.
    // `change`: what the seeded torrent (h2) gets, every other field and torrent kept.
    // `changed`: the published changes ("+x" new, "-x" gone, "x" replaced); every other record
    // stays the one held, a full answer included.
    void incrementalAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("republished");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<QString>("changed");
        QByteArray unknownFull = fullAnswer();
        unknownFull.replace("\"full_update\":true", "\"full_update\":false")
            .replace(h1.toLatin1(), QByteArray(40, '1'));
        const QByteArray known = '"' + h2.toLatin1() + '"';
        QJsonObject pausedFull = QJsonDocument::fromJson(fullAnswer()).object();
        QJsonObject torrents = pausedFull[u"torrents"_qs].toObject();
        QJsonObject second = torrents[h2].toObject();
        second[u"state"_qs] = u"pausedUP"_qs;
        torrents[h2] = second;
        pausedFull[u"torrents"_qs] = torrents;
        const QJsonObject relisted{{u"rid"_qs, 4},
                                   {u"torrents_removed"_qs, QJsonArray{h1}},
                                   {u"torrents"_qs, QJsonObject{{h1, torrents[h1]}}}};
        // clang-format off
        QTest::newRow("recorded answer after a pause") << fixture(u"maindata-rid1-after-pause.json"_qs) << true << 2 << QByteArray(R"({"state":"pausedUP"})") << "h2";
        QTest::newRow("known hash, one field") << R"({"rid":2,"torrents":{)" + known + R"(:{"dlspeed":5}}})" << true << 2 << QByteArray(R"({"dlspeed":5})") << "h2";
        QTest::newRow("known hash, same value") << R"({"rid":2,"torrents":{)" + known + R"(:{"dlspeed":0}}})" << true << 2 << QByteArray("{}") << "";
        QTest::newRow("duplicated hash, last wins") << R"({"rid":2,"torrents":{)" + known + R"(:{"dlspeed":5},)" + known + R"(:{"dlspeed":7}}})" << true << 2 << QByteArray(R"({"dlspeed":7})") << "h2";
        QTest::newRow("unknown partial record") << QByteArray(R"({"rid":2,"torrents":{"ffff":{"dlspeed":5}}})") << false << 2 << QByteArray("{}") << "";
        QTest::newRow("unknown hash with full record") << unknownFull << true << 3 << QByteArray("{}") << "+1111";
        QTest::newRow("nothing changed") << QByteArray(R"({"rid":3})") << false << 2 << QByteArray("{}") << "";
        QTest::newRow("empty removal list") << QByteArray(R"({"rid":4,"torrents_removed":[]})") << true << 2 << QByteArray("{}") << "";
        QTest::newRow("removal of known and unknown") << "{\"rid\":4,\"torrents_removed\":[\"" + h1.toLatin1() + "\",\"nope\"]}" << true << 1 << QByteArray("{}") << "-h1";
        QTest::newRow("removed and listed again") << QJsonDocument(relisted).toJson() << true << 2 << QByteArray("{}") << "h1";
        QTest::newRow("full update without torrents") << QByteArray(R"({"rid":5,"full_update":true})") << true << 0 << QByteArray("{}") << "-h1 -h2";
        QTest::newRow("full update false keeps list") << QByteArray(R"({"rid":5,"full_update":false})") << false << 2 << QByteArray("{}") << "";
        QTest::newRow("the same full answer again") << fullAnswer() << true << 2 << QByteArray("{}") << "";
        QTest::newRow("a full answer, one paused") << QJsonDocument(pausedFull).toJson() << true << 2 << QByteArray(R"({"state":"pausedUP"})") << "h2";
        // clang-format on
    }

    void incrementalAnswers()
    {
        seed();
        QFETCH(QByteArray, answer);
        QFETCH(bool, republished);
        QFETCH(int, count);
        QFETCH(QByteArray, change);
        QFETCH(QString, changed);
        const QList<Category> categories = m_repository->categories();
        const QStringList tags = m_repository->tags();
        const QList<Torrent> before = m_repository->torrents();
        const QHash<QString, TorrentPtr> recordsBefore = m_repository->records();
        QStringList published;
        const auto name = [](const QString &hash) {
            return hash == h1 ? u"h1"_qs : hash == h2 ? u"h2"_qs : hash.left(4);
        };
        connect(m_repository.get(), &TorrentRepository::torrentsChanged, this, [&](const TorrentChanges &c) {
            QVERIFY(!c.everything);
            for (const TorrentChange &one : c.changes) {
                const QString hash = (one.after ? one.after : one.before)->id;
                published.append((one.before ? one.after ? "" : "-" : "+") + name(hash));
                QCOMPARE(one.before, recordsBefore.value(hash));
                QCOMPARE(one.after, m_repository->records().value(hash));
                // A text that stayed is held once, by both records.
                if (one.before && one.after && one.before->name == one.after->name)
                    QCOMPARE(one.after->name.constData(), one.before->name.constData());
            }
        });
        QSignalSpy torrentsChanged(m_repository.get(), &TorrentRepository::torrentsChanged);
        const SyncData payload = SyncData::fromJson(answer);
        m_repository->apply(payload);
        QCOMPARE(torrentsChanged.size(), republished ? 1 : 0);
        published.sort();
        QCOMPARE(published.join(u' '), changed);
        for (auto it = recordsBefore.cbegin(); it != recordsBefore.cend(); ++it) {
            if (m_repository->records().contains(it.key()) && !published.contains(name(it.key())))
                QCOMPARE(m_repository->records().value(it.key()), it.value());
        }
        QCOMPARE(m_repository->torrents().size(), count);
        const QList<Torrent> after = m_repository->torrents();
        QCOMPARE(find(after, h2) != nullptr, count > 0);
        for (const Torrent &old : before)
            if (const Torrent *now = find(after, old.id))
                QCOMPARE(*now, old.id == h2 ? old.updatedWith(TorrentData::fromJson(change)) : old);
        QCOMPARE(m_repository->currentRid(), std::optional<qint64>(payload.rid));
        QCOMPARE(m_repository->categories(), categories);
        QCOMPARE(m_repository->tags(), tags);
    }

    // Category and tag names in code-point order (not UTF-16 order, which puts characters above
    // U+FFFF before U+E000..U+FFFF); each answer's list replaces the last, removals are ignored.
    void namesInCodePointOrder_data()
    {
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("upper case first") << QStringList{u"B"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("full-width before astral") << QStringList{u"！"_qs, u"𝔸"_qs, u"😀"_qs};
        QTest::newRow("private use before astral")
            << QStringList{u"z"_qs, u"\uE000"_qs, u"\uFFFD"_qs, u"𝄞"_qs};
    }

    void namesInCodePointOrder()
    {
        seed();
        QFETCH(QStringList, sorted);
        // QJsonObject writes its keys in UTF-16 order; the tags come reversed.
        QJsonObject categories;
        QList<Category> expected;
        for (const QString &name : sorted) {
            categories.insert(name, QJsonObject{{"name", name}, {"savePath", "/" + name}});
            expected.append({name, "/" + name});
        }
        const auto tags = QJsonArray::fromStringList(QStringList(sorted.crbegin(), sorted.crend()));
        const QJsonObject answer{{"rid", 2}, {"categories", categories}, {"tags", tags}};
        m_repository->apply(SyncData::fromJson(QJsonDocument(answer).toJson()));
        m_repository->apply(
            SyncData::fromJson("{\"rid\":3,\"tags_removed\":[\"" + sorted.first().toUtf8() + "\"]}"));
        QCOMPARE(m_repository->categories(), expected);
        QCOMPARE(m_repository->tags(), sorted);
    }

    // Samples at most every few seconds, ten minutes long, never backwards in time; a sync
    // answer with both rates adds one.
    void speedHistory()
    {
        SpeedHistory history;
        const qint64 minute = 60'000;
        QVERIFY(history.add(0, 10, 20));
        QVERIFY(!history.add(SpeedHistory::minGapMs - 1, 11, 21)); // too close
        QVERIFY(history.add(SpeedHistory::minGapMs, -5, 22));     // a negative rate reads as 0
        QCOMPARE(history.samples().last(), (SpeedHistory::Sample{SpeedHistory::minGapMs, 0, 22}));
        QVERIFY(history.add(9 * minute, 12, 23));
        QVERIFY(!history.add(8 * minute, 13, 24)); // the clock went back
        const qint64 last = 10 * minute + SpeedHistory::minGapMs + 1;
        QVERIFY(history.add(last, 14, 25)); // the first two are older than ten minutes now
        QCOMPARE(history.samples(), QList<SpeedHistory::Sample>({{9 * minute, 12, 23}, {last, 14, 25}}));

        QSignalSpy changed(m_repository.get(), &TorrentRepository::speedHistoryChanged);
        m_repository->apply(SyncData::fromJson(R"({"rid":1,"server_state":{"dl_info_speed":300,"up_info_speed":40}})"));
        m_repository->apply(SyncData::fromJson(R"({"rid":2,"server_state":{"dl_info_speed":500}})")); // too soon
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_repository->speedHistory().samples().size(), 1);
        QCOMPARE(m_repository->speedHistory().samples().first().download, 300);
    }

    // A stored interval that makes no sense never turns into a busy loop (the timer following
    // the interval is checked with the list's polling).
    void autoRefreshIntervalIsBounded()
    {
        m_settings->setRefreshInterval(std::numeric_limits<double>::quiet_NaN());
        m_repository->startAutoRefresh();
        QCOMPARE(m_repository->refreshTimerInterval(), 3'000);
        m_settings->setRefreshInterval(0);
        QVERIFY(m_repository->refreshTimerInterval() >= 100);
    }

    // The request framing of passes is checked with concurrent calls below, the merge above.
    void loadingShowsForTheFirstPassOnly()
    {
        QSignalSpy loading(m_repository.get(), &TorrentRepository::isLoadingChanged);
        m_api->server.on(syncPath, TestResponse::json(fullAnswer()));
        auto first = m_repository->refresh();
        QVERIFY(m_repository->isLoading());
        QVERIFY(runTask(std::move(first)).ok());
        QVERIFY(!m_repository->isLoading());
        QVERIFY(refresh());
        QCOMPARE(m_api->server.requestsTo(syncPath).size(), 2);
        QCOMPARE(loading.size(), 2); // incremental passes do not show the loading state
    }

    // An incremental answer replaces only the server figures it carries; another server's
    // figures are never shown.
    void serverStateFollowsTheAnswersOfItsServer()
    {
        seed();
        ServerState expected = *SyncData::fromJson(fullAnswer()).serverState;
        expected.dlInfoSpeed = 5;
        m_repository->apply(SyncData::fromJson(R"({"rid":2,"server_state":{"dl_info_speed":5}})"));
        QCOMPARE(m_repository->serverState(), std::optional(expected));
        VERIFY_OK(runTask(m_api->client.login(m_api->server.serverConfig(), ApiHarness::password)));
        QCOMPARE(m_repository->serverState(), std::nullopt);
    }

    void callsDuringAPassWaitForItAndShareOneMorePass()
    {
        // The first answer comes late. A refresh and an action asked meanwhile may not send a
        // second sync request beside it: they wait, and one more pass serves both.
        m_api->server.enqueue(syncPath, TestResponse::json(fullAnswer()).withDelay(300));
        m_api->server.on(syncPath, TestResponse::json(R"({"rid":2})"));
        m_api->server.on("/api/v2/torrents/pause", TestResponse::text("Ok."));
        auto first = m_repository->refresh();
        QVERIFY(m_api->server.waitForRequests(1));
        auto second = m_repository->refresh();
        auto action = m_repository->pause({});
        QVERIFY(runTask(std::move(second)).ok());
        QVERIFY(runTask(std::move(action)).ok());
        QVERIFY(runTask(std::move(first)).ok());
        QCOMPARE(m_api->server.targets(),
                 QList<QByteArray>({syncPath, "/api/v2/torrents/pause", syncPath + "?rid=1"}));
        QCOMPARE(m_repository->currentRid(), std::optional<qint64>(2));
        QCOMPARE(m_repository->torrents().size(), 2);
        QVERIFY(!m_repository->isPassRunning());
    }

    void ticksAgainstASlowServerNeverOverlap()
    {
        // Each answer takes three intervals. Ticks during a pass are skipped, so the requests
        // follow one another, each with the position of the answer before it.
        constexpr int delayMs = 300;
        QElapsedTimer clock;
        clock.start();
        QList<qint64> arrivals;
        m_api->server.on(syncPath, [&](const RecordedRequest &) {
            arrivals.append(clock.elapsed());
            const QByteArray rid = QByteArray::number(arrivals.size());
            return TestResponse::json("{\"rid\":" + rid + (rid == "1" ? ",\"full_update\":true}" : "}"))
                .withDelay(delayMs);
        });
        m_settings->setRefreshInterval(0.1);
        m_settings->setAutoRefreshEnabled(true);
        m_repository->setConsumerActive(this, true);
        QVERIFY(m_api->server.waitForRequests(4, 5000));
        m_repository->setConsumerActive(this, false);
        QVERIFY(!m_repository->hasRefreshTimer());
        QTRY_VERIFY(!m_repository->isPassRunning()); // no request left behind the test
        for (qsizetype i = 1; i < arrivals.size(); ++i) {
            // A timer may fire a little early; a second request in flight would come one
            // interval (100 ms) after the first.
            const qint64 gap = arrivals.at(i) - arrivals.at(i - 1);
            QVERIFY2(gap >= delayMs * 9 / 10,
                     qPrintable(QStringLiteral("request %1 after %2 ms").arg(i).arg(gap)));
            QCOMPARE(m_api->server.requests().at(i).target, syncPath + "?rid=" + QByteArray::number(i));
        }
    }

    // An action the server refuses sets the error and skips the refresh.
    void actionsSendTheirHashesThenOneRefresh_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        // clang-format off
        QTest::newRow("pause") << QByteArray("pause") << QByteArray("hashes=a|b") << 200;
        QTest::newRow("resume") << QByteArray("resume") << QByteArray("hashes=a|b") << 200;
        QTest::newRow("force start") << QByteArray("setForceStart") << QByteArray("hashes=a|b&value=true") << 200;
        QTest::newRow("delete with files") << QByteArray("delete") << QByteArray("hashes=a|b&deleteFiles=true") << 200;
        QTest::newRow("recheck") << QByteArray("recheck") << QByteArray("hashes=a|b") << 200;
        QTest::newRow("reannounce") << QByteArray("reannounce") << QByteArray("hashes=a|b") << 200;
        QTest::newRow("refused delete of nothing") << QByteArray("delete") << QByteArray("hashes=&deleteFiles=true") << 500;
        // clang-format on
    }

    void actionsSendTheirHashesThenOneRefresh()
    {
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        const QByteArray path = "/api/v2/torrents/" + action;
        m_api->server.on(path, TestResponse::text("Ok.", status));
        m_api->server.on(syncPath, TestResponse::json(fullAnswer()));
        QList<Torrent> torrents(body.contains("a|b") ? 2 : 0);
        for (qsizetype i = 0; i < torrents.size(); ++i)
            torrents[i].id = QString(QChar(char16_t(u'a' + i)));
        TorrentRepository &r = *m_repository;
        QCoro::Task<void> task = action == "pause"           ? r.pause(torrents)
                                 : action == "resume"        ? r.resume(torrents)
                                 : action == "setForceStart" ? r.forceStart(torrents)
                                 : action == "recheck"       ? r.recheck(torrents)
                                 : action == "reannounce"    ? r.reannounce(torrents)
                                                             : r.deleteTorrents(torrents, true);
        QVERIFY(runTask(std::move(task)).ok());
        QCOMPARE(m_api->server.targets(), (status == 200 ? QList{path, syncPath} : QList{path}));
        QCOMPARE(m_api->server.requests().first().body, body);
        QCOMPARE(bool(m_repository->error()), status != 200);
    }

    void repositoryDestroyedMidRequestIsNeverTouched()
    {
        m_api->server.on(syncPath, TestResponse::json(fullAnswer()).withDelay(300));
        m_api->server.on("/api/v2/torrents/pause", TestResponse::text("Ok."));
        auto pending = m_repository->refresh();
        auto action = m_repository->pause({});
        // The action is done and its refresh waits behind the pass in flight.
        QVERIFY(m_api->server.waitForRequests(2));
        QTest::qWait(50);
        m_repository.reset();
        // Both coroutines finish against a repository that is gone (the waiting one is woken
        // after the destruction); under AddressSanitizer a use after free would end the test
        // here, and a coroutine left waiting would be reported as a leak.
        QVERIFY(runTask(std::move(pending)).finished);
        QVERIFY(runTask(std::move(action)).finished);
    }

    void faultsKeepTheListAndTheNextGoodAnswerRestoresIt_data()
    {
        QTest::addColumn<TestResponse>("fault");
        const QByteArray full = fullAnswer();
        // clang-format off
        QTest::newRow("truncated json") << TestResponse::json(full.left(300));
        QTest::newRow("closed mid body") << TestResponse::closeMidBody(full);
        QTest::newRow("not http") << TestResponse::notHttp("SSH-2.0-OpenSSH_9.2\r\n");
        // clang-format on
    }

    void faultsKeepTheListAndTheNextGoodAnswerRestoresIt()
    {
        QFETCH(TestResponse, fault);
        const QList<Torrent> good = loadFullList();
        QCOMPARE(good.size(), 2);
        // Every attempt meets the fault: Qt itself sends a GET again once when a reused
        // connection breaks.
        m_api->server.on(syncPath, fault);
        QVERIFY(refresh());
        const ErrorPtr error = m_repository->error();
        QVERIFY2(error && isClearChinese(error->localizedDescription()), qPrintable(describe(error)));
        QCOMPARE(m_repository->torrents(), good);
        QCOMPARE(m_repository->currentRid(), std::nullopt);
        QVERIFY(!m_repository->isLoading());

        // The next pass is a full one and replaces the list as a whole.
        QCOMPARE(loadFullList(), good);
        QVERIFY(!m_repository->error());
        QCOMPARE(m_api->server.requestsTo(syncPath).last().target, syncPath);
    }

    // A refused connection keeps the list and says so in Chinese. A server restarted between
    // passes forgot the session (the emulated login with a new session id): the old cookie gets
    // 403 and one re-login brings the list back; when the server refuses the stored password as
    // well, that one attempt ends unauthorized.
    void serverChangesBetweenPasses_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("refused connection") << u"refused"_qs;
        QTest::newRow("restart") << u"restart"_qs;
        QTest::newRow("password changed") << u"password"_qs;
    }

    void serverChangesBetweenPasses()
    {
        QFETCH(QString, change);
        loadFullList();
        const qsizetype loginsBefore = m_api->loginCount();
        if (change == u"refused")
            m_api->server.refuse();
        else
            m_api->server.setSessionId(QByteArrayLiteral("afterRestart"));
        if (change == u"password")
            m_api->storePassword(u"wrong"_qs);
        QVERIFY(refresh());
        QCOMPARE(m_repository->torrents().size(), 2);
        const ErrorPtr error = m_repository->error();
        QVERIFY2(bool(error) == (change != u"restart"), qPrintable(describe(error)));
        QVERIFY(!error || isClearChinese(error->localizedDescription()));
        QCOMPARE(isNetworkError(error, NetworkError::Kind::unauthorized), change == u"password");
        QCOMPARE(m_api->loginCount(), loginsBefore + (change == u"refused" ? 0 : 1));
    }
};

QTEST_GUILESS_MAIN(TorrentRepositoryTest)
#include "tst_TorrentSync.moc"
