#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

#include <memory>

class QBittorrentAPIClient;
class TestHttpServer;

// A local qBittorrent-like server with recorded answers and a client of its own logged in to
// it, for driving real models from QML tests without touching the shared client. The models
// it makes live as long as the session.
class TestSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int port READ port CONSTANT)

public:
    explicit TestSession(QObject *parent = nullptr);
    ~TestSession() override;

    int port() const;
    bool isLoggedIn() const;

    // Answers a path with a body (and status) from now on.
    Q_INVOKABLE void serve(const QString &path, const QString &body, int status = 200);
    // Requests received for a path, oldest first: [{method, target, query, body}].
    Q_INVOKABLE QVariantList requestsTo(const QString &path) const;
    Q_INVOKABLE void clearRequests();
    // Runs the event loop until that many requests reached the path; false after 10 s.
    Q_INVOKABLE bool waitForRequestsTo(const QString &path, int count);

    Q_INVOKABLE QObject *statisticsModel();
    // Over the shared profiles, with this session's client.
    Q_INVOKABLE QObject *settingsModel();
    // A detail model for a torrent of the recorded sync answer.
    Q_INVOKABLE QObject *detailModel(const QString &hash);
    Q_INVOKABLE QObject *torrentListModel();
    // The ApiClient bridge over this session's client.
    Q_INVOKABLE QObject *apiClient();

private:
    std::unique_ptr<TestHttpServer> m_server;
    QBittorrentAPIClient *m_client;
    bool m_loggedIn = false;
};
