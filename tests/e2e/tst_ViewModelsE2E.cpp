// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The presentation models against a real qbittorrent-nox (the e2e fixture), over a real profile
// database, the real credential store and a client of this test. The cases run in order and
// build on each other: save a profile and connect, list the server's torrents, set and reset a
// speed limit; last, look for the password and the session cookie in everything the run wrote.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"

#include "api/APIVersionManager.h"
#include "api/SessionCookieJar.h"
#include "store/AppSettings.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/SettingsViewModel.h"
#include "viewmodels/StatisticsViewModel.h"
#include "viewmodels/TorrentDetailViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int waitMs = 15'000;
const QString profileName = QStringLiteral("e2e 视图模型");
const QString category = QStringLiteral("e2e-vm-cat");
const QString tag = QStringLiteral("e2e-vm-tag");

} // namespace

class ViewModelsE2ETest : public QObject
{
    Q_OBJECT

    LogCapture m_log; // the first member, so that it sees every line of the run
    E2EServer m_server;
    QString m_workDir;
    QTemporaryDir m_tempDir;
    QString m_databasePath = m_tempDir.filePath(QStringLiteral("store/") + PersistenceController::fileName);
    QString m_iniPath = m_tempDir.filePath(QStringLiteral("settings.ini"));

    KeychainHelper m_keychain{QStringLiteral("app.seedwhirl.Seedwhirl.e2e-viewmodels")};
    APIVersionManager m_versions;
    QBittorrentAPIClient m_client{m_versions};
    std::unique_ptr<PersistenceController> m_persistence;
    std::unique_ptr<ServerRepository> m_repository;
    std::unique_ptr<SettingsViewModel> m_settingsModel;
    std::unique_ptr<AppSettings> m_appSettings;
    std::unique_ptr<TorrentListViewModel> m_listModel;

    QStringList m_accounts; // credential-store entries to remove at the end
    QStringList m_hashes;   // this test's torrents
    QString m_sessionCookie;

    // The files this run wrote and that must hold no secret: the profile database with its
    // journal files, the preference file, and everything under the locations Qt hands out (the
    // application's own lie below the generic ones).
    QStringList writtenFiles() const
    {
        return filesUnder({m_tempDir.path(),
                           QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                           QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)});
    }

private Q_SLOTS:
    void initTestCase()
    {
        qtMessages();
        QStandardPaths::setTestModeEnabled(true);
        E2E_TRY(m_server = E2EServer::fromEnvironment();
                m_workDir = m_server.freshDirectory(QStringLiteral("view-models")));
        QVERIFY(m_tempDir.isValid());

        m_client.setPasswordProvider(
            [this](QString account) { return m_keychain.getPassword(std::move(account)); });
        m_persistence = std::make_unique<PersistenceController>(m_databasePath);
        const std::optional<QString> openError = m_persistence->open();
        QVERIFY2(!openError, qPrintable(openError.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_persistence, m_keychain);
        m_settingsModel = std::make_unique<SettingsViewModel>(*m_repository, m_client);
    }

    void cleanupTestCase()
    {
        m_listModel.reset();
        removeTorrents(m_client, m_hashes);
        for (const QString &account : std::as_const(m_accounts))
            runTask(m_keychain.deletePassword(account));
    }

    // Saved through the model with the password in the credential store, from where the login
    // takes it.
    void saveProfileAndConnect()
    {
        m_settingsModel->addServer(
            ServerConfig::create(profileName, m_server.host, m_server.port, m_server.username, false),
            ServerSecrets{m_server.password, {}, {}, {}});
        QVERIFY(pollUntil([&] { return m_settingsModel->servers().size() == 1; }, waitMs));
        const ServerConfig saved = m_settingsModel->servers().first();
        m_accounts.append(saved.accountName());
        AWAIT_OK(runTask(m_settingsModel->connectToServer(saved)));
        QVERIFY2(!m_settingsModel->error(), describe(m_settingsModel->error()).constData());
        QCOMPARE(m_settingsModel->activeServer()->id, saved.id);
        QCOMPARE(m_settingsModel->serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));
        for (const QNetworkCookie &cookie : m_client.cookieJar().cookies())
            if (cookie.name() == "SID")
                m_sessionCookie = QString::fromLatin1(cookie.value());
        QVERIFY(m_sessionCookie.size() >= 16);
    }

    // Two small torrents over data that is already there, so they seed at once, with their
    // category and tag.
    void listShowsServerTorrents()
    {
        const QStringList files{QStringLiteral("vm-alpha.bin"), QStringLiteral("vm-beta.bin")};
        for (const QString &name : files)
            E2E_TRY(writeDataFile(m_workDir + QLatin1Char('/') + name, 20'000 + 28'000 * m_hashes.size(),
                                  quint32(100 + m_hashes.size()));
                    m_hashes.append(
                        addTorrentOf(m_client, m_workDir + QLatin1Char('/') + name, {}, category, tag)));

        // A quick refresh interval (written to the preference file) keeps the polls short.
        m_appSettings = std::make_unique<AppSettings>(m_iniPath);
        m_appSettings->setRefreshInterval(0.5);
        m_appSettings->sync();
        m_listModel = std::make_unique<TorrentListViewModel>(
            std::make_unique<TorrentRepository>(m_client, *m_appSettings), *m_appSettings);
        m_listModel->setActive(true);
        const auto shown = [&](const QString &hash, TorrentListModel::Role role) {
            TorrentListModel *rows = m_listModel->filteredTorrentsModel();
            const int row = rows->indexOf(hash);
            return row < 0 ? QString() : rows->data(rows->index(row), role).toString();
        };
        const auto seeding = [&](const QString &hash) {
            return QStringList({"stalledUP", "uploading", "queuedUP"})
                .contains(shown(hash, TorrentListModel::TorrentStateRole));
        };
        QVERIFY2(pollUntil([&] { return std::all_of(m_hashes.cbegin(), m_hashes.cend(), seeding); }, waitMs),
                 describe(m_listModel->error()).constData());
        for (qsizetype i = 0; i < files.size(); ++i)
            QCOMPARE(QStringList({shown(m_hashes[i], TorrentListModel::NameRole),
                                  QDir::cleanPath(shown(m_hashes[i], TorrentListModel::SavePathRole))}),
                     QStringList({files[i], m_workDir}));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_listModel->torrentCountForCategory(category) == 2 &&
                m_listModel->torrentCountForTag(tag) == 2 && m_listModel->tags().contains(tag) &&
                std::ranges::count(m_listModel->categoryList(), category, &Category::name) == 1,
            waitMs);
        QVERIFY2(!m_listModel->error(), describe(m_listModel->error()).constData());
    }

    // The statistics screen's figures from the server: DHT is off there.
    void statistics()
    {
        StatisticsViewModel statistics(m_client);
        statistics.loadAll();
        QTRY_VERIFY_WITH_TIMEOUT(statistics.transferInfo() && statistics.serverState() &&
                                     statistics.serverVersion() && !statistics.isLoading(),
                                 waitMs);
        QVERIFY2(!statistics.error(), describe(statistics.error()).constData());
        QCOMPARE(statistics.transferInfo()->dhtNodes, qint64(0));
        QVERIFY(statistics.serverState()->freeSpaceOnDisk.value_or(0) > 0 &&
                std::ranges::count(statistics.categories(), category, &Category::name) == 1);

        // The alternative limits: the mode switched on (asked twice: the server only toggles)
        // and off, each confirmed by the sync stream and read back from the server; both limits
        // written at once.
        const auto mode = [&] {
            const auto answer = runTask(m_client.getSpeedLimitsMode());
            return answer.ok() ? int(*answer.value) : -1;
        };
        QCOMPARE(statistics.property("alternativeSpeed"), QVariant(false));
        for (const bool on : {true, true, false}) {
            statistics.setAlternativeSpeed(on);
            QCOMPARE(statistics.property("alternativeSpeed"), QVariant(on)); // at once, as asked
            QTRY_COMPARE_WITH_TIMEOUT(mode(), int(on), waitMs);
            const auto &state = TorrentRepository::shared(m_client)->serverState();
            QTRY_VERIFY_WITH_TIMEOUT(state && state->useAltSpeedLimits == on, waitMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(statistics.alternativeLimits().has_value(), waitMs);
        QVERIFY(statistics.applyAlternativeLimitTexts(u"300"_qs, u"40"_qs));
        const SpeedPreferences written{300 * 1024, 40 * 1024};
        QTRY_COMPARE_WITH_TIMEOUT(statistics.alternativeLimits(), std::optional(written), waitMs);
        AWAIT(preferences, m_client.getSpeedPreferences());
        QCOMPARE(*preferences.value, written);
        QVERIFY2(!statistics.error(), describe(statistics.error()).constData());
    }

    // Every edit of the list model, each read back from the server: category (a new one),
    // tags, location (the data moved on disk), name, limits, force start, the two download
    // options, file priorities of a folder, queue moves; a bulk action on three torrents; and a
    // refusal of the real server told in words.
    void editTorrents()
    {
        QVERIFY(m_listModel && m_hashes.size() == 2);
        const QString alpha = m_hashes[0], beta = m_hashes[1];
        const auto info = [&](const QString &hash, const char *key) {
            return torrentInfo(m_client, hash)[QLatin1String(key)].toVariant();
        };
        const auto becomes = [&](const QString &hash, const char *key, const QVariant &value) {
            return pollUntil([&] { return info(hash, key) == value; }, waitMs);
        };
        // A folder of three files (seeding) and two torrents without their data (queued
        // downloads).
        const QString folder = m_workDir + QStringLiteral("/vm-folder");
        QString q1, q2, folderHash;
        E2E_TRY(QDir().mkpath(folder + QStringLiteral("/a"));
                writeDataFile(folder + QStringLiteral("/a/1.bin"), 20'000, 7);
                writeDataFile(folder + QStringLiteral("/a/2.bin"), 30'000, 8);
                writeDataFile(folder + QStringLiteral("/b.bin"), 10'000, 9);
                folderHash = addTorrentOf(m_client, folder); m_hashes.append(folderHash));
        for (QString *queued : {&q1, &q2}) {
            const QString data = m_workDir + QStringLiteral("/vm-queued-%1.bin").arg(m_hashes.size());
            E2E_TRY(writeDataFile(data, 40'000, quint32(m_hashes.size()));
                    const MadeTorrent made = makeTorrent(data); QFile::remove(data);
                    AWAIT(added, m_client.addTorrentFile(QStringLiteral("q.torrent"), made.bytes, m_workDir));
                    *queued = made.infoHash; m_hashes.append(made.infoHash));
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_listModel->queueingEnabled(), waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_listModel->editState(folderHash).value("name") == "vm-folder", waitMs);

        const QString newCategory = QStringLiteral("e2e 新分类");
        QVERIFY(m_listModel->createCategory({alpha}, newCategory));
        QVERIFY(becomes(alpha, "category", newCategory));
        QVERIFY(m_listModel->addTags({alpha, beta}, {QStringLiteral("e2e-x"), QStringLiteral("e2e-y")}));
        QVERIFY(becomes(beta, "tags", QStringLiteral("e2e-vm-tag, e2e-x, e2e-y")));
        QVERIFY(m_listModel->removeTags({beta}, {QStringLiteral("e2e-x")}));
        QVERIFY(becomes(beta, "tags", QStringLiteral("e2e-vm-tag, e2e-y")));
        QString moved;
        E2E_TRY(moved = m_server.freshDirectory(QStringLiteral("view-models-moved")));
        QVERIFY(m_listModel->setLocation({beta}, moved));
        QVERIFY(pollUntil([&] { return QFile::exists(moved + QStringLiteral("/vm-beta.bin")); }, waitMs));
        QVERIFY(pollUntil([&] { return QDir::cleanPath(info(beta, "save_path").toString()) == moved; }, waitMs));
        QVERIFY(m_listModel->rename(alpha, QStringLiteral("vm-alpha 改名")));
        QVERIFY(becomes(alpha, "name", QStringLiteral("vm-alpha 改名")));
        QVERIFY(!m_listModel->setTorrentLimits({alpha}, QStringLiteral("1.5"), QStringLiteral("50")));
        QVERIFY(m_listModel->setTorrentLimits({alpha}, QStringLiteral("100"), QStringLiteral("50")));
        QVERIFY(becomes(alpha, "up_limit", 51'200));
        QCOMPARE(info(alpha, "dl_limit"), QVariant(102'400));
        QVERIFY(m_listModel->setTorrentLimits({alpha}, QString(), QStringLiteral("60"))); // download left as it is
        QVERIFY(becomes(alpha, "up_limit", 61'440));
        QCOMPARE(info(alpha, "dl_limit"), QVariant(102'400));
        for (const bool on : {true, false}) {
            m_listModel->setForceStart({alpha}, on);
            QVERIFY(becomes(alpha, "force_start", on));
        }
        m_listModel->toggleSequentialDownload({q1});
        QVERIFY(becomes(q1, "seq_dl", true));
        m_listModel->toggleFirstLastPiecePriority({q1});
        QVERIFY(becomes(q1, "f_l_piece_prio", true));
        // The list's record follows, and the edit menu reads it.
        QTRY_VERIFY_WITH_TIMEOUT(m_listModel->editState(q1).value("sequentialDownload") == true &&
                                     m_listModel->editState(alpha).value("uploadLimit") == "60",
                                 waitMs);

        // Queue: the later download moves to the top, then back to the bottom.
        QVERIFY(becomes(q2, "priority", info(q1, "priority").toInt() + 1));
        const int top = info(q1, "priority").toInt();
        m_listModel->moveInQueue({q2}, QStringLiteral("top"));
        QVERIFY(becomes(q2, "priority", top));
        m_listModel->moveInQueue({q2}, QStringLiteral("bottom"));
        QVERIFY(becomes(q2, "priority", top + 1));

        // Files: the folder "a" (the second row under the open top folder) set to 不下载 in one
        // request.
        Torrent folderTorrent;
        folderTorrent.id = folderHash;
        TorrentDetailViewModel detail(folderTorrent, m_client);
        AWAIT_OK(runTask(detail.loadFiles()));
        QCOMPARE(detail.filesModel()->data(detail.filesModel()->index(1), TorrentFilesModel::PathRole),
                 QVariant(QStringLiteral("vm-folder/a")));
        detail.setFilePriority(1, 0);
        const auto priorities = [&] {
            const auto files = runTask(m_client.getTorrentFiles(folderHash));
            QStringList names;
            for (const TorrentFile &file : files.value.value_or(QList<TorrentFile>{}))
                names.append(file.name + QLatin1Char('=') + QString::number(file.priority));
            names.sort();
            return names.join(u' ');
        };
        QTRY_COMPARE_WITH_TIMEOUT(priorities(), QStringLiteral("vm-folder/a/1.bin=0 vm-folder/a/2.bin=0 vm-folder/b.bin=1"),
                                  waitMs);
        QCOMPARE(detail.actionErrorMessage(), QString());

        // Bulk: three torrents paused in one request, and resumed.
        const QStringList three{alpha, beta, folderHash};
        const auto allPaused = [&](bool paused) {
            return std::ranges::all_of(three, [&](const QString &hash) {
                const QString state = stateOf(m_client, hash);
                return (state.startsWith(QStringLiteral("paused")) || state.startsWith(QStringLiteral("stopped"))) ==
                       paused;
            });
        };
        m_listModel->pauseAll(three);
        QVERIFY(pollUntil([&] { return allPaused(true); }, waitMs));
        m_listModel->resumeAll(three);
        QVERIFY(pollUntil([&] { return allPaused(false); }, waitMs));

        // The real server refuses a category it does not have (409).
        QVERIFY2(!m_listModel->error(), describe(m_listModel->error()).constData());
        m_listModel->setCategory({alpha}, QStringLiteral("e2e no such category"));
        QTRY_VERIFY_WITH_TIMEOUT(m_listModel->error() != nullptr, waitMs);
        QVERIFY2(m_listModel->error()->localizedDescription().startsWith(QStringLiteral("分类不存在")),
                 describe(m_listModel->error()).constData());
        m_listModel->clearError();
        QVERIFY(m_log.lines().contains(QStringLiteral("✅ 已创建分类: ") + newCategory));

        APIEndpoint removeCategory = APIEndpoint::removeCategories();
        removeCategory.fields = {{QStringLiteral("categories"), newCategory}};
        APIEndpoint deleteTags = APIEndpoint::deleteTags();
        deleteTags.fields = {{QStringLiteral("tags"), QStringLiteral("e2e-x,e2e-y")}};
        for (const APIEndpoint &endpoint : {removeCategory, deleteTags})
            AWAIT_OK(runTask(m_client.performAction(endpoint)));
    }

    // Last: neither the password nor the session cookie went anywhere they could be read.
    void secretsStayInside()
    {
        const QList<Secret> secrets{{QStringLiteral("the password"), m_server.password},
                                    {QStringLiteral("the session cookie"), m_sessionCookie}};
        QVERIFY(!m_log.lines().isEmpty());
        const QStringList lines = leaksIn({}, secrets, m_log.lines() + qtMessages());
        QVERIFY2(lines.isEmpty(), qPrintable(lines.join('\n')));

        // The profile database while open (its journal files included), then once closed. The
        // search reads what was written: the profile's name is there, in the file or its journal.
        QStringList files = writtenFiles();
        QVERIFY2(files.contains(m_databasePath) && files.contains(m_iniPath), qPrintable(files.join('\n')));
        QVERIFY2(leaksIn(files, secrets).isEmpty(), qPrintable(leaksIn(files, secrets).join('\n')));
        QVERIFY2(!leaksIn(files.filter(m_databasePath), {{QString(), profileName}}).isEmpty(),
                 "the profile's name is in no database file");

        m_listModel.reset();
        m_appSettings.reset();
        m_settingsModel.reset();
        m_repository.reset();
        m_persistence.reset();
        files = writtenFiles();
        QVERIFY(files.contains(m_databasePath));
        QVERIFY2(leaksIn(files, secrets).isEmpty(), qPrintable(leaksIn(files, secrets).join('\n')));
    }
};

QTEST_GUILESS_MAIN(ViewModelsE2ETest)
#include "tst_ViewModelsE2E.moc"
