// The presentation models against a real qbittorrent-nox (the e2e fixture), over a real profile
// database, the real credential store and a client of this test. The cases run in order and
// build on each other: save a profile and connect, list the server's torrents, set and reset a
// speed limit; last, look for the password and the session cookie in everything the run wrote.
#include "E2EServer.h"
#include "support/Bencode.h"
#include "support/LogCapture.h"
#include "support/TaskRunner.h"

#include "api/APIVersionManager.h"
#include "api/QBittorrentAPIClient.h"
#include "api/SessionCookieJar.h"
#include "store/AppSettings.h"
#include "store/KeychainHelper.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/SettingsViewModel.h"
#include "viewmodels/StatisticsViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

constexpr int stateTimeoutMs = 15'000;
const QString keychainService = QStringLiteral("app.seedwhirl.Seedwhirl.e2e-viewmodels");
const QString profileName = QStringLiteral("e2e 视图模型");
const QString decoyName = QStringLiteral("e2e-decoy");
const QString category = QStringLiteral("e2e-vm-cat");
const QString tag = QStringLiteral("e2e-vm-tag");

template <typename T> QByteArray describe(const Outcome<T> &outcome)
{
    if (!outcome.finished)
        return "did not finish within the guard time";
    if (outcome.error)
        return outcome.error->debugDescription().toUtf8();
    return "ok";
}

#define AWAIT_OK(outcome) QVERIFY2((outcome).ok(), describe(outcome).constData())

QString describe(const ErrorPtr &error)
{
    return error ? error->debugDescription() : QStringLiteral("(no error)");
}

// Qt's own messages as well as the log lines: a secret must not leave through qWarning either.
QStringList *qtMessages = nullptr;
QtMessageHandler previousHandler = nullptr;

void recordingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qtMessages)
        qtMessages->append(message);
    if (previousHandler)
        previousHandler(type, context, message);
}

// A secret to look for, and the byte forms a leak of it could take in a file.
struct Secret
{
    QString what;
    QString text;
};

QList<std::pair<const char *, QByteArray>> byteForms(const QString &secret)
{
    const QByteArray utf8 = secret.toUtf8();
    QByteArray le;
    QByteArray be;
    for (const QChar c : secret) {
        le.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
    }
    return {{"UTF-8", utf8},
            {"UTF-16LE", le},
            {"UTF-16BE", be},
            {"Base64", utf8.toBase64(QByteArray::OmitTrailingEquals)}};
}

// Every regular file below `dir` (nothing when it does not exist).
QStringList filesBelow(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

} // namespace

class ViewModelsE2ETest : public QObject
{
    Q_OBJECT

private:
    // Created first and kept to the end: every line of the run.
    std::unique_ptr<LogCapture> m_log;
    QStringList m_qtMessages;

    E2EServer m_server;
    QString m_workDir;
    QTemporaryDir m_tempDir;
    QString m_databasePath;
    QString m_iniPath;

    KeychainHelper m_keychain{keychainService};
    APIVersionManager m_versions;
    std::unique_ptr<QBittorrentAPIClient> m_client;
    std::unique_ptr<PersistenceController> m_persistence;
    std::unique_ptr<ServerRepository> m_repository;
    std::unique_ptr<SettingsViewModel> m_settingsModel;
    std::unique_ptr<AppSettings> m_appSettings;
    std::unique_ptr<TorrentListViewModel> m_listModel;

    QStringList m_accounts; // credential-store entries to remove at the end
    QStringList m_hashes;   // this test's torrents
    QString m_sessionCookie;

    // The list as shown (the row model QML reads): a role of that torrent's row, if shown.
    QVariant shownValue(const QString &hash, TorrentListModel::Role role) const
    {
        TorrentListModel *rows = m_listModel->filteredTorrentsModel();
        const int row = rows->indexOf(hash);
        return row < 0 ? QVariant() : rows->data(rows->index(row), role);
    }
    QString shownState(const QString &hash) const
    {
        const QVariant state = shownValue(hash, TorrentListModel::TorrentStateRole);
        return state.isValid() ? state.toString() : QStringLiteral("(not shown)");
    }
    static bool isSeeding(const QString &state)
    {
        return state == QLatin1String("stalledUP") || state == QLatin1String("uploading") ||
               state == QLatin1String("queuedUP");
    }

    // The files this run wrote and that must hold no secret: the profile database with its
    // journal files, the preference file, and everything under the locations Qt hands out.
    QStringList writtenFiles() const
    {
        QSet<QString> files;
        for (const QString &file : filesBelow(m_tempDir.path()))
            files.insert(file);
        for (const auto location : {QStandardPaths::AppDataLocation, QStandardPaths::AppLocalDataLocation,
                                    QStandardPaths::AppConfigLocation, QStandardPaths::GenericDataLocation,
                                    QStandardPaths::GenericConfigLocation, QStandardPaths::ConfigLocation,
                                    QStandardPaths::CacheLocation, QStandardPaths::GenericCacheLocation}) {
            for (const QString &file : filesBelow(QStandardPaths::writableLocation(location)))
                files.insert(file);
        }
        QStringList list(files.begin(), files.end());
        list.sort();
        return list;
    }

    // "<file>: <what>" for each secret found in a file; empty when clean.
    QStringList leaksIn(const QStringList &files, const QList<Secret> &secrets) const
    {
        QStringList leaks;
        for (const QString &path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                leaks.append(path + QStringLiteral(": unreadable, so not checked: ") + file.errorString());
                continue;
            }
            const QByteArray bytes = file.readAll();
            for (const Secret &secret : secrets)
                for (const auto &[encoding, form] : byteForms(secret.text))
                    if (bytes.contains(form))
                        leaks.append(QStringLiteral("%1: holds %2 (%3)")
                                         .arg(path, secret.what, QLatin1String(encoding)));
        }
        return leaks;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogCapture>();
        qtMessages = &m_qtMessages;
        previousHandler = qInstallMessageHandler(recordingHandler);
        QStandardPaths::setTestModeEnabled(true);

        try {
            m_server = E2EServer::fromEnvironment();
            m_workDir = m_server.freshDirectory(QStringLiteral("view-models"));
        } catch (const std::exception &error) {
            QFAIL(error.what());
        }
        QVERIFY(m_tempDir.isValid());
        m_databasePath =
            m_tempDir.filePath(QStringLiteral("store/") + QLatin1String(PersistenceController::fileName));
        m_iniPath = m_tempDir.filePath(QStringLiteral("settings.ini"));

        m_client = std::make_unique<QBittorrentAPIClient>(m_versions);
        m_client->setPasswordProvider(
            [this](QString account) { return m_keychain.getPassword(std::move(account)); });
        m_persistence = std::make_unique<PersistenceController>(m_databasePath);
        const std::optional<QString> openError = m_persistence->open();
        QVERIFY2(!openError, qPrintable(openError.value_or(QString())));
        m_repository = std::make_unique<ServerRepository>(*m_persistence, m_keychain);
        m_settingsModel = std::make_unique<SettingsViewModel>(*m_repository, *m_client);
        QVERIFY(m_settingsModel->servers().isEmpty());
    }

    void cleanupTestCase()
    {
        m_listModel.reset();
        if (m_client && m_client->isAuthenticated()) {
            for (const QString &hash : std::as_const(m_hashes))
                runTask(m_client->performAction(APIEndpoint::deleteTorrents(hash, true)));
            runTask(m_client->setDownloadLimit(0));
            runTask(m_client->setUploadLimit(0));
        }
        for (const QString &account : std::as_const(m_accounts))
            runTask(m_keychain.deletePassword(account));
        qInstallMessageHandler(previousHandler);
        qtMessages = nullptr;
        m_log.reset();
    }

    void saveProfileAndConnect()
    {
        // A first profile that is never connected: it becomes the active one on saving, and the
        // real one takes its place on connecting.
        m_settingsModel->addServer(decoyName, QStringLiteral("127.0.0.1"), 1, m_server.username,
                                   QStringLiteral("decoy password"), false);
        QVERIFY(pollUntil([&] { return m_settingsModel->servers().size() == 1; }, stateTimeoutMs));
        m_accounts.append(m_settingsModel->servers().first().accountName());
        QCOMPARE(m_settingsModel->activeServer()->name, decoyName);

        m_settingsModel->addServer(profileName, m_server.host, m_server.port, m_server.username,
                                   m_server.password, false);
        QVERIFY(pollUntil([&] { return m_settingsModel->servers().size() == 2; }, stateTimeoutMs));
        QVERIFY2(m_log->startingWith(QStringLiteral("❌")).isEmpty(), qPrintable(m_log->lines().join('\n')));
        const ServerConfig saved = m_settingsModel->servers().first(); // newest first
        m_accounts.append(saved.accountName());
        QCOMPARE(saved.name, profileName);
        QVERIFY(!saved.isActive);

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const auto connected = runTask(m_settingsModel->connectToServer(saved));
        AWAIT_OK(connected);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QVERIFY2(!m_settingsModel->error(), qPrintable(describe(m_settingsModel->error())));
        QCOMPARE(m_client->currentServer()->id, saved.id);
        QCOMPARE(m_settingsModel->serverVersion(), std::optional<QString>(QStringLiteral("v4.5.2")));

        // The connected profile is the active one, with the time of the connection; the decoy
        // is no longer active.
        const ServerConfig active = m_settingsModel->activeServer().value_or(ServerConfig());
        QCOMPARE(active.id, saved.id);
        QVERIFY2(active.lastConnectedAt >= before && active.lastConnectedAt <= after,
                 qPrintable(active.lastConnectedAt.value_or(QDateTime()).toString(Qt::ISODateWithMs)));
        QCOMPARE(std::count_if(m_settingsModel->servers().cbegin(), m_settingsModel->servers().cend(),
                               [](const ServerConfig &server) { return server.isActive; }),
                 1);
        const auto shown = m_settingsModel->property("activeServer").value<ServerProfile>();
        QCOMPARE(shown.serverId, saved.accountName());
        QVERIFY(shown.lastConnectedText != QStringLiteral("从未连接"));

        // The session cookie, for the search for leaks at the end.
        for (const QNetworkCookie &cookie : m_client->cookieJar().cookies())
            if (cookie.name() == "SID")
                m_sessionCookie = QString::fromLatin1(cookie.value());
        QVERIFY2(m_sessionCookie.size() >= 16,
                 qPrintable(QStringLiteral("SID: \"%1\"").arg(m_sessionCookie)));
    }

    void listShowsServerTorrents()
    {
        QVERIFY(m_client->isAuthenticated());
        // Two small torrents over data that is already there, so they seed at once.
        struct Item
        {
            QString file;
            qint64 size;
        };
        const QList<Item> items{{QStringLiteral("vm-alpha.bin"), 48'000},
                                {QStringLiteral("vm-beta.bin"), 20'000}};
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString dataPath = m_workDir + QLatin1Char('/') + items[i].file;
            MadeTorrent made;
            try {
                writeDataFile(dataPath, items[i].size, quint32(100 + i));
                made = makeTorrent(dataPath);
            } catch (const std::exception &error) {
                QFAIL(error.what());
            }
            m_hashes.append(made.infoHash);
            const auto added = runTask(m_client->addTorrentFile(items[i].file + QStringLiteral(".torrent"),
                                                                made.bytes, m_workDir, category, tag));
            AWAIT_OK(added);
        }

        // A quick refresh interval (written to the preference file) keeps the polls short.
        m_appSettings = std::make_unique<AppSettings>(m_iniPath);
        m_appSettings->setRefreshInterval(0.5);
        m_appSettings->sync();
        m_listModel = std::make_unique<TorrentListViewModel>(
            std::make_unique<TorrentRepository>(*m_client, *m_appSettings), *m_appSettings);
        m_listModel->setActive(true);
        QVERIFY(m_listModel->repository().hasRefreshTimer());
        QCOMPARE(m_listModel->repository().refreshTimerInterval(), 500);

        const bool shown = pollUntil(
            [&] {
                for (const QString &hash : std::as_const(m_hashes))
                    if (!isSeeding(shownState(hash)))
                        return false;
                return true;
            },
            stateTimeoutMs);
        QVERIFY2(shown, qPrintable(QStringLiteral("%1 / %2; error: %3")
                                       .arg(shownState(m_hashes[0]), shownState(m_hashes[1]),
                                            describe(m_listModel->error()))));
        QVERIFY(!m_listModel->error());
        for (qsizetype i = 0; i < items.size(); ++i) {
            QCOMPARE(shownValue(m_hashes[i], TorrentListModel::NameRole).toString(), items[i].file);
            QCOMPARE(QDir::cleanPath(shownValue(m_hashes[i], TorrentListModel::SavePathRole).toString()),
                     m_workDir);
        }
        QVERIFY(m_listModel->torrentCountForCategory(category) == 2);
        QVERIFY(m_listModel->torrentCountForTag(tag) == 2);
        QVERIFY(pollUntil(
            [&] {
                return m_listModel->tags().contains(tag) &&
                       std::any_of(m_listModel->categoryList().cbegin(), m_listModel->categoryList().cend(),
                                   [](const Category &c) { return c.name == category; });
            },
            stateTimeoutMs));
    }

    void statisticsAndLimits()
    {
        StatisticsViewModel statistics(*m_client);
        statistics.loadAll();
        QVERIFY(pollUntil(
            [&] {
                return statistics.transferInfo() && statistics.serverState() && statistics.serverVersion() &&
                       !statistics.isLoading();
            },
            stateTimeoutMs));
        QVERIFY2(!statistics.error(), qPrintable(describe(statistics.error())));
        QCOMPARE(statistics.transferInfo()->dhtNodes, qint64(0)); // DHT is off on the test server
        QVERIFY(statistics.serverState()->freeSpaceOnDisk.value_or(0) > 0);
        QVERIFY(std::any_of(statistics.categories().cbegin(), statistics.categories().cend(),
                            [](const Category &c) { return c.name == category; }));

        // From the limit sheet (KB/s), and back to none; the figures follow the server.
        QVERIFY(statistics.applyDownloadLimitText(QStringLiteral("300")));
        QVERIFY(
            pollUntil([&] { return statistics.transferInfo()->dlRateLimit == 300 * 1024; }, stateTimeoutMs));
        QCOMPARE(statistics.property("transferInfo").value<TransferFigures>().dlRateLimit, 300 * 1024);
        QCOMPARE(statistics.downloadLimitFieldText(), QStringLiteral("300"));
        QVERIFY(statistics.applyDownloadLimitText(QStringLiteral("0")));
        QVERIFY(pollUntil([&] { return statistics.transferInfo()->dlRateLimit == 0; }, stateTimeoutMs));
        QVERIFY2(!statistics.error(), qPrintable(describe(statistics.error())));
    }

    // Last: neither the password nor the session cookie went anywhere they could be read.
    void secretsStayInside()
    {
        QVERIFY(!m_server.password.isEmpty());
        QVERIFY(!m_sessionCookie.isEmpty());
        const QList<Secret> secrets{{QStringLiteral("the password"), m_server.password},
                                    {QStringLiteral("the session cookie"), m_sessionCookie}};

        QStringList lines = m_log->lines();
        lines += m_qtMessages;
        for (const QString &line : std::as_const(lines))
            for (const Secret &secret : secrets)
                QVERIFY2(!line.contains(secret.text),
                         qPrintable(QStringLiteral("a log line holds %1: %2")
                                        .arg(secret.what,
                                             QString(line).replace(secret.text, QStringLiteral("<…>")))));
        QVERIFY(m_log->lines().size() > 0);

        // The profile database while open (its journal files included), then once closed.
        const QString walPath = m_databasePath + QStringLiteral("-wal");
        QVERIFY(QFile::exists(m_databasePath));
        QStringList files = writtenFiles();
        QVERIFY2(files.contains(m_databasePath), qPrintable(files.join('\n')));
        QVERIFY2(files.contains(m_iniPath), qPrintable(files.join('\n')));
        QStringList leaks = leaksIn(files, secrets);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join('\n')));
        // The search reads what was written: the profile's name is there, in the file or its
        // journal.
        const auto holdsName = [&](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains(profileName.toUtf8());
        };
        QVERIFY2(holdsName(m_databasePath) || holdsName(walPath),
                 "the profile's name is in no database file");

        m_listModel.reset();
        m_appSettings.reset();
        m_settingsModel.reset();
        m_repository.reset();
        m_persistence.reset();
        files = writtenFiles();
        QVERIFY(files.contains(m_databasePath));
        leaks = leaksIn(files, secrets);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join('\n')));
    }
};

QTEST_GUILESS_MAIN(ViewModelsE2ETest)
#include "tst_ViewModelsE2E.moc"
