// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QBittorrentAPIClient;

// `ApiClient` in QML: whether the shared API client is logged in, which decides between the
// welcome screen and the tabs. Everything else reaches the client through the screens' models.
class ApiClientBridge : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(ApiClient)
    QML_SINGLETON
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated NOTIFY isAuthenticatedChanged)

public:
    explicit ApiClientBridge(QObject *parent = nullptr); // the shared client
    explicit ApiClientBridge(QBittorrentAPIClient &client, QObject *parent = nullptr);

    bool isAuthenticated() const;

Q_SIGNALS:
    void isAuthenticatedChanged();

private:
    QBittorrentAPIClient &m_client;
};
