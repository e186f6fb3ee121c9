// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RecordListModel.h"
#include "model/ServerConfig.h"

#include <QMetaType>

// A saved profile as the screens read it (`serverProfile` in QML). The default value stands
// for "no profile": `valid` is false and every text is empty.
struct ServerProfile
{
    Q_GADGET
    Q_PROPERTY(bool valid MEMBER valid)
    Q_PROPERTY(QString serverId MEMBER serverId) // upper-case UUID text, the argument of the model's calls
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString host MEMBER host)
    Q_PROPERTY(int port MEMBER port)
    Q_PROPERTY(QString username MEMBER username)
    Q_PROPERTY(bool useHTTPS MEMBER useHTTPS)
    Q_PROPERTY(bool isActive MEMBER isActive)
    Q_PROPERTY(QString lastConnectedText MEMBER lastConnectedText) // relative date or "从未连接"

public:
    bool valid = false;
    QString serverId;
    QString name;
    QString host;
    int port = 0;
    QString username;
    bool useHTTPS = false;
    bool isActive = false;
    QString lastConnectedText;

    static ServerProfile of(const ServerConfig &server);
    bool operator==(const ServerProfile &) const = default;
};

// The saved profiles, newest first, one row each; the roles are the fields of ServerProfile.
class ServerListModel : public RecordListModel
{
    Q_OBJECT

public:
    enum Role {
        ServerIdRole = Qt::UserRole + 1,
        NameRole,
        HostRole,
        PortRole,
        UsernameRole,
        UseHTTPSRole,
        IsActiveRole,
        LastConnectedTextRole,
    };
    Q_ENUM(Role)

    using RecordListModel::RecordListModel;
    int count() const override { return int(m_servers.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const QList<ServerConfig> &servers() const { return m_servers; }
    void setServers(QList<ServerConfig> servers) { replaceRows(m_servers, std::move(servers)); }

private:
    QList<ServerConfig> m_servers;
};

Q_DECLARE_METATYPE(ServerProfile)
