// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Format.h"

#include "model/AppInfo.h"
#include "model/Formatting.h"
#include "model/TransferRecords.h"

#include <cmath>
#include <limits>

namespace {

qint64 toInt64(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    // Clamp rather than overflow: a value past the range is nonsense, not a crash.
    constexpr double maxExact = 9.2233720368547748e18;
    if (value >= maxExact) {
        return std::numeric_limits<qint64>::max();
    }
    if (value <= -maxExact) {
        return std::numeric_limits<qint64>::min();
    }
    return static_cast<qint64>(std::trunc(value));
}

std::optional<QDateTime> dateOf(const QVariant &instant)
{
    if (!instant.isValid() || instant.isNull()) {
        return std::nullopt;
    }
    const QDateTime dt = instant.toDateTime();
    if (!dt.isValid()) {
        return std::nullopt;
    }
    return dt;
}

} // namespace

Format::Format(QObject *parent) : QObject(parent) {}

QString Format::formatBytes(double value, const QString &suffix)
{
    return ::formatBytes(toInt64(value), suffix);
}

QString Format::formatRate(double bytesPerSecond)
{
    return ::formatRate(toInt64(bytesPerSecond));
}

QString Format::formatProgress(double progress)
{
    return ::formatProgress(progress);
}

QString Format::formatRatio(double ratio)
{
    return ::formatRatio(ratio);
}

QString Format::formatLimit(double bytesPerSecond)
{
    if (std::isnan(bytesPerSecond) || bytesPerSecond < 1) {
        return tr("无限制");
    }
    return ::formatRate(toInt64(bytesPerSecond));
}

QString Format::formattedDate(const QVariant &instant)
{
    const auto dt = dateOf(instant);
    return dt ? ::formattedDate(*dt) : QString();
}

QString Format::relativeDateString(const QVariant &instant)
{
    const auto dt = dateOf(instant);
    return dt ? ::relativeDateString(*dt) : QString();
}

QString Format::connectionStatusText(const QString &status)
{
    return ::connectionStatusText(status);
}

QString Format::appVersion()
{
    return ::appVersion();
}

QString Format::buildNumber()
{
    return ::buildNumber();
}

QString Format::secondsLabel(double seconds)
{
    return tr("%1 秒").arg(toInt64(seconds));
}
