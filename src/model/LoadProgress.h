// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <functional>

// How far a full answer of the server has come: its bytes as they arrive (of the size the
// server announced, when it did), then the work on them, with the count of torrents once they
// are decoded.
struct LoadProgress
{
    enum class Stage : quint8 { waiting, receiving, processing };
    Stage stage = Stage::waiting;
    qint64 received = 0;
    qint64 total = -1;        // unknown
    qsizetype torrents = -1;  // not yet decoded
    bool operator==(const LoadProgress &) const = default;
};

// Called on the UI thread, as often as the network delivers a piece.
using LoadProgressReport = std::function<void(const LoadProgress &)>;
