// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Completion notifications, received by a notification service on the tests' private session
// bus: told once per torrent, never for what was complete already, not after a recheck, not
// again after a restart, nothing while switched off, one summary for many.
#include "ModelTesting.h"
#include "support/NotificationRecorder.h"

#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/CompletionNotifier.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

// A sync answer in which each named torrent ("B", ...) has that progress and state.
SyncData answer(const QList<std::tuple<QString, double, QString>> &torrents)
{
    static qint64 rid = 0;
    QJsonObject records;
    for (const auto &[name, progress, state] : torrents) {
        records.insert(name.repeated(40).left(40).toLower(),
                       QJsonObject{{"name", name == "H" ? "H & co" : "name-" + name}, {"size", 1}, {"progress", progress},
                                   {"dlspeed", 0}, {"upspeed", 0}, {"downloaded", 0}, {"uploaded", 0}, {"eta", 0},
                                   {"state", state}, {"ratio", 0}, {"category", ""}, {"tags", ""},
                                   {"added_on", 1}, {"completion_on", 0}, {"save_path", "/d"}, {"num_seeds", 0},
                                   {"num_leechs", 0}, {"num_complete", 0}, {"num_incomplete", 0}, {"priority", 0}});
    }
    return SyncData::fromJson(QJsonDocument(QJsonObject{{"rid", ++rid}, {"torrents", records}}).toJson());
}

QList<std::tuple<QString, double, QString>> downloading(const QString &names)
{
    QList<std::tuple<QString, double, QString>> list;
    for (const QChar c : names)
        list.append({QString(c), 0.5, QStringLiteral("downloading")});
    return list;
}

QList<std::tuple<QString, double, QString>> finished(const QString &names)
{
    QList<std::tuple<QString, double, QString>> list;
    for (const QChar c : names)
        list.append({QString(c), 1.0, QStringLiteral("stalledUP")});
    return list;
}

} // namespace

class TestCompletionNotifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toldOnceAndOnlyForFinishedDownloads()
    {
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
        settings.setAutoRefreshEnabled(false); // the answers come from the test alone
        ApiHarness api;
        QVERIFY(api.connect());
        NotificationRecorder recorder({QStringLiteral("body"), QStringLiteral("body-markup")});
        QVERIFY(recorder.isRegistered());
        const auto bodies = [&] {
            QStringList list;
            for (const NotificationRecorder::Call &call : recorder.calls())
                list.append(call.summary + u'|' + call.body.section(u'\n', 0, 0));
            recorder.clear();
            return list;
        };
        const auto settle = [] { QTest::qWait(100); };
        const QString server = api.profile.name;
        {
            auto repository = std::make_shared<TorrentRepository>(api.client, settings);
            CompletionNotifier notifier(api.client, repository, settings);
            QTRY_VERIFY(notifier.readsMarkup().has_value());
            repository->apply(answer(finished("A") + downloading("BCDEFGH")));
            repository->apply(answer(finished("B")));
            QTRY_COMPARE(recorder.calls().size(), 1);
            const NotificationRecorder::Call call = recorder.calls().first();
            QCOMPARE(QStringList({call.appName, call.appIcon, call.body.section(u'\n', 1),
                                  call.hints.value("desktop-entry").toString()}),
                     QStringList({"Seedwhirl", SEEDWHIRL_APP_ID, server, SEEDWHIRL_APP_ID}));
            QCOMPARE(bodies(), QStringList{"下载完成|name-B"});

            // Again after a dip, a recheck of a complete one, and while switched off: nothing.
            repository->apply(answer(downloading("B")));
            repository->apply(answer(finished("B")));
            repository->apply(answer({{"A", 0.4, "checkingUP"}}));
            repository->apply(answer(finished("A")));
            settings.setNotifiesCompletions(false);
            repository->apply(answer(finished("C")));
            settings.setNotifiesCompletions(true);
            settle();
            QCOMPARE(bodies(), QStringList());

            // Four in one pass: one summary.
            repository->apply(answer(finished("DEFG")));
            QTRY_COMPARE(recorder.calls().size(), 1);
            QCOMPARE(bodies(), QStringList{"下载完成|4 个种子已下载完成：name-D、name-E、name-F 等"});

            // Connected and switched on, the list is kept current at the background pace.
            settings.setAutoRefreshEnabled(true);
            QCOMPARE(repository->refreshTimerInterval(), TorrentRepository::backgroundIntervalMs);
            settings.setNotifiesCompletions(false);
            QVERIFY(!repository->hasRefreshTimer());
            settings.setAutoRefreshEnabled(false);
            settings.setNotifiesCompletions(true);
        }

        // A restart: the list arrives whole, what finished meanwhile is not told, what was told
        // is not told again; a new one is, its name escaped for a service that reads markup.
        auto repository = std::make_shared<TorrentRepository>(api.client, settings);
        CompletionNotifier notifier(api.client, repository, settings);
        QTRY_VERIFY(notifier.readsMarkup() == true);
        repository->apply(answer(finished("ABCDEFG") + downloading("H")));
        repository->apply(answer(downloading("B")));
        repository->apply(answer(finished("BH")));
        QTRY_COMPARE(recorder.calls().size(), 1);
        QCOMPARE(bodies(), QStringList{"下载完成|H &amp; co"});
    }
};

QTEST_GUILESS_MAIN(TestCompletionNotifier)
#include "tst_CompletionNotifier.moc"
