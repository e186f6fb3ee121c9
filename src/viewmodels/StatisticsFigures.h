// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "OptionalVariant.h"
#include "model/TransferRecords.h"

#include <QMetaType>
#include <QVariant>

// The statistics tab's figures as QML reads them. The default value is "not loaded yet".

// `transferFigures` in QML: the transfer answer, every field present once loaded.
struct TransferFigures : TransferInfo
{
    Q_GADGET
    Q_PROPERTY(bool loaded MEMBER loaded)
    Q_PROPERTY(qint64 dlInfoSpeed MEMBER dlInfoSpeed)
    Q_PROPERTY(qint64 dlInfoData MEMBER dlInfoData)
    Q_PROPERTY(qint64 upInfoSpeed MEMBER upInfoSpeed)
    Q_PROPERTY(qint64 upInfoData MEMBER upInfoData)
    Q_PROPERTY(qint64 dlRateLimit MEMBER dlRateLimit)
    Q_PROPERTY(qint64 upRateLimit MEMBER upRateLimit)
    Q_PROPERTY(qint64 dhtNodes MEMBER dhtNodes)
    Q_PROPERTY(QString connectionStatus MEMBER connectionStatus)

public:
    bool loaded = false;
};

// `serverFigures` in QML: the figures of the server state the tab shows. The server may leave
// any of them out; such a figure reads as undefined (hence QVariant), which the tab shows as
// its placeholder.
struct ServerFigures
{
    Q_GADGET
    Q_PROPERTY(bool loaded MEMBER loaded)
    Q_PROPERTY(QVariant alltimeDL READ alltimeDL)
    Q_PROPERTY(QVariant alltimeUL READ alltimeUL)
    Q_PROPERTY(QVariant freeSpaceOnDisk READ freeSpaceOnDisk)
    Q_PROPERTY(QVariant totalPeerConnections READ totalPeerConnections)
    Q_PROPERTY(QVariant queuedIO READ queuedIO)

public:
    bool loaded = false;
    ServerState state;

    QVariant alltimeDL() const { return variantOf(state.alltimeDL); }
    QVariant alltimeUL() const { return variantOf(state.alltimeUL); }
    QVariant freeSpaceOnDisk() const { return variantOf(state.freeSpaceOnDisk); }
    QVariant totalPeerConnections() const { return variantOf(state.totalPeerConnections); }
    QVariant queuedIO() const { return variantOf(state.queuedIO); }
};

Q_DECLARE_METATYPE(TransferFigures)
Q_DECLARE_METATYPE(ServerFigures)
