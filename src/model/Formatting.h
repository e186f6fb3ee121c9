// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>
#include <optional>

// The shared text forms of sizes, rates, progress, ratios and dates. No screen formats these
// values on its own.
QString formatBytes(qint64 value, const QString &suffix = {});
QString formatRate(qint64 bytesPerSecond); // formatBytes(value, "/s")
QString formatProgress(double progress);   // "%.1f%%" of progress x 100
QString formatRatio(double ratio);         // "%.2f", "∞" when not finite

// zh_CN medium date with short time, in the local time zone.
QString formattedDate(const QDateTime &instant);
QString formattedDate(std::chrono::sys_seconds instant);
// zh_CN relative text, short style, largest whole unit ("3天前", "2分钟后", ...).
QString relativeDateString(const QDateTime &instant, const QDateTime &now = QDateTime::currentDateTimeUtc());

// The limit fields (KB/s, "0" = none). limitBytes: a whole decimal number with an optional
// sign as bytes per second; nothing when the text is not one, is negative or the bytes leave
// the 64-bit range. kilobytesText: "0" below 1, else rounded down.
std::optional<qint64> limitBytes(const QString &kilobytesPerSecond);
QString kilobytesText(qint64 bytesPerSecond);
