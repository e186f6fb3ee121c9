// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>

#include <optional>

// The server's 22 torrent states, in their declared order. Raw values are the server's exact,
// case-sensitive strings.
enum class TorrentState {
    downloading,
    uploading,
    pausedDL,
    pausedUP,
    stoppedDL,
    stoppedUP,
    stalledDL,
    stalledUP,
    checkingDL,
    checkingUP,
    checkingResumeData,
    queuedDL,
    queuedUP,
    allocating,
    metaDL,
    forcedDL,
    forcedUP,
    forcedMetaDL,
    moving,
    missingFiles,
    error,
    unknown,
};

namespace TorrentStates {
const QList<TorrentState> &allCases();
std::optional<TorrentState> fromRawValue(QStringView raw);
QString rawValue(TorrentState state);
QString displayName(TorrentState state);
// A symbol name ("arrow.down.circle.fill", ...); the view layer maps it to a glyph.
QString iconName(TorrentState state);
} // namespace TorrentStates
