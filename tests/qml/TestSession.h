// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/TestHttpServer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include "store/Persistence.h"
#include "viewmodels/SettingsViewModel.h"
#include "viewmodels/StatisticsViewModel.h"

// `TestSession` in the QML tests: a local qBittorrent-like server with recorded answers and a
// client of its own logged in to it, for driving real models without touching the shared
// client; it also puts recorded answers into models and reaches what a screen cannot (the
// credential store). The models it makes live as long as the session.
class TestSession : public QObject
{
    Q_OBJECT

public:
    explicit TestSession(QObject *parent = nullptr);

    // Answers a path with a body (and status) from now on.
    Q_INVOKABLE void serve(const QString &path, const QString &body, int status = 200)
    {
        m_server.on(path.toUtf8(), TestResponse::text(body.toUtf8(), status));
    }
    // Answers the next request to a path with a server error, then as before.
    Q_INVOKABLE void failOnce(const QString &path)
    {
        m_server.enqueue(path.toUtf8(), TestResponse::withStatus(500));
    }
    // The server refuses every connection, then listens again on its port.
    Q_INVOKABLE void refuse() { m_server.refuse(); }
    Q_INVOKABLE bool answerAgain() { return m_server.answerAgain(); }
    // Bodies of the requests received for a path, oldest first.
    Q_INVOKABLE QStringList requestsTo(const QString &path) const;

    Q_INVOKABLE QObject *statisticsModel() { return new StatisticsViewModel(*m_client, this); }
    // Over the shared profiles, with this session's client.
    Q_INVOKABLE QObject *settingsModel()
    {
        return new SettingsViewModel(ServerRepository::shared(), *m_client, this);
    }
    // A list model over this session's client; its repository holds no torrents until a
    // fixture is applied.
    Q_INVOKABLE QObject *listModel();
    // A detail model for a torrent of the recorded sync answer.
    Q_INVOKABLE QObject *detailModel(const QString &hash);

    // Merges a recorded sync answer into a TorrentListViewModel's repository, as a sync pass
    // would.
    Q_INVOKABLE void applyFixture(QObject *torrentListViewModel, const QString &fixtureName);
    // The saved profiles' ids (upper-case UUID texts, as the server list shows them) by name.
    Q_INVOKABLE QVariantMap servers() const;
    // Removes a profile's stored password.
    Q_INVOKABLE bool forgetPassword(const QString &profileId);

    // The stored sample server certificate (SEEDWHIRL_SAMPLE_CERTIFICATE): a saved profile that
    // pins it, by id; the client refusing it for a saved profile as a handshake would (kind: a
    // CertificateError::Kind name); the fingerprint a saved profile pins ("" when it pins none).
    Q_INVOKABLE QString savePinnedProfile(const QString &name);
    Q_INVOKABLE void rejectCertificate(const QString &profileId, const QString &kind,
                                       const QString &pinnedFingerprint = {});
    Q_INVOKABLE QString pinnedFingerprint(const QString &profileId) const;

    // This process as the running application on the session bus (it takes the name once), and
    // the application's binary started again with `arguments`, not waited for; its exit code
    // once it ended, -1 before.
    Q_INVOKABLE bool claimInstance();
    Q_INVOKABLE void startSecondInstance(const QStringList &arguments);
    Q_INVOKABLE int secondInstanceExitCode() const;

    // A folder of empty files with these names, as a file URL; it lives as long as the session.
    Q_INVOKABLE QUrl folderWith(const QStringList &names);

private:
    QTemporaryDir m_files;
    QProcess *m_secondInstance = nullptr;
    TestHttpServer m_server;
    QBittorrentAPIClient *m_client;
};
