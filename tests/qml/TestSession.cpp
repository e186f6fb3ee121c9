#include "TestSession.h"

#include "support/Fixtures.h"
#include "support/TestHttpServer.h"

#include "ApiClientBridge.h"
#include "KeychainPasswords.h"
#include "api/QBittorrentAPIClient.h"
#include "model/SyncRecords.h"
#include "model/Torrent.h"
#include "store/AppSettings.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/SettingsViewModel.h"
#include "viewmodels/StatisticsViewModel.h"
#include "viewmodels/TorrentDetailViewModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QVariantMap>

#include <qcoro/qcorotask.h>

namespace {

const QString password = QStringLiteral("adminadmin");

// Paths answered with the recorded answers of a real server.
const std::pair<const char *, const char *> recorded[] = {
    {"/api/v2/app/version", "version.txt"},
    {"/api/v2/transfer/info", "transfer-info.json"},
    {"/api/v2/sync/maindata", "maindata-full.json"},
    {"/api/v2/torrents/categories", "categories.json"},
    {"/api/v2/torrents/tags", "tags.json"},
    {"/api/v2/torrents/files", "torrent-files.json"},
    {"/api/v2/torrents/trackers", "torrent-trackers.json"},
    {"/api/v2/sync/torrentPeers", "torrent-peers.json"},
};

} // namespace

TestSession::TestSession(QObject *parent)
    : QObject(parent), m_server(std::make_unique<TestHttpServer>()),
      m_client(new QBittorrentAPIClient(this))
{
    reloginWithStoredPasswords(*m_client);
    m_server->emulateLogin(QStringLiteral("admin"), password, QByteArrayLiteral("qml-test-session"));
    for (const auto &[path, file] : recorded) {
        m_server->on(QByteArray(path), TestResponse::text(fixture(QString::fromLatin1(file))));
    }
    // Actions, uploads and limits: the server's plain acknowledgement.
    m_server->setFallback([](const RecordedRequest &request) {
        return request.method == "POST" ? TestResponse::text("Ok.") : TestResponse::withStatus(404);
    });
    try {
        QCoro::waitFor(m_client->login(m_server->serverConfig(), password));
        m_loggedIn = m_client->isAuthenticated();
    } catch (const std::exception &e) {
        qWarning("test session login failed: %s", e.what());
    }
}

TestSession::~TestSession() = default;

int TestSession::port() const
{
    return m_server->port();
}

bool TestSession::isLoggedIn() const
{
    return m_loggedIn;
}

void TestSession::serve(const QString &path, const QString &body, int status)
{
    m_server->on(path.toUtf8(), TestResponse::text(body.toUtf8(), status));
}

QVariantList TestSession::requestsTo(const QString &path) const
{
    QVariantList list;
    for (const RecordedRequest &request : m_server->requestsTo(path.toUtf8())) {
        list.append(QVariantMap{{QStringLiteral("method"), QString::fromUtf8(request.method)},
                                {QStringLiteral("target"), QString::fromUtf8(request.target)},
                                {QStringLiteral("query"), QString::fromUtf8(request.query())},
                                {QStringLiteral("body"), QString::fromUtf8(request.body)}});
    }
    return list;
}

void TestSession::clearRequests()
{
    m_server->clearRequests();
}

bool TestSession::waitForRequestsTo(const QString &path, int count)
{
    const QByteArray key = path.toUtf8();
    // A wall-clock bound: processEvents returns at once when nothing is pending, so counting
    // its calls would give up long before the request had a chance to arrive.
    QElapsedTimer clock;
    clock.start();
    while (m_server->requestsTo(key).size() < count) {
        if (clock.elapsed() > 10'000) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

QObject *TestSession::statisticsModel()
{
    return new StatisticsViewModel(*m_client, this);
}

QObject *TestSession::settingsModel()
{
    return new SettingsViewModel(ServerRepository::shared(), *m_client, this);
}

QObject *TestSession::detailModel(const QString &hash)
{
    const SyncData sync = SyncData::fromJson(fixture(QStringLiteral("maindata-full.json")));
    Torrent torrent;
    for (const auto &[key, data] : sync.torrents.value_or(QList<std::pair<QString, TorrentData>>{})) {
        if (key == hash) {
            torrent = Torrent::fromTorrentData(key, data).value_or(Torrent{});
        }
    }
    return new TorrentDetailViewModel(torrent, *m_client, this);
}

QObject *TestSession::torrentListModel()
{
    AppSettings &settings = AppSettings::shared();
    return new TorrentListViewModel(std::make_unique<TorrentRepository>(*m_client, settings), settings, this);
}

QObject *TestSession::apiClient()
{
    return new ApiClientBridge(*m_client, this);
}
