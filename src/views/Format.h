// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

// `Format` in QML: the shared text forms, so that no screen formats a size, rate, progress,
// ratio or date on its own. Numbers from QML arrive as doubles; byte counts are whole numbers
// well inside the exact range of a double.
class Format : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit Format(QObject *parent = nullptr);

    Q_INVOKABLE static QString formatBytes(double value, const QString &suffix = {});
    Q_INVOKABLE static QString formatRate(double bytesPerSecond);
    Q_INVOKABLE static QString formatProgress(double progress);
    Q_INVOKABLE static QString formatRatio(double ratio);
    // "无限制" below 1 byte per second, else the rate.
    Q_INVOKABLE static QString formatLimit(double bytesPerSecond);
    // Both take a JS Date (or undefined, which gives the empty text).
    Q_INVOKABLE static QString formattedDate(const QVariant &instant);
    Q_INVOKABLE static QString relativeDateString(const QVariant &instant);
    Q_INVOKABLE static QString connectionStatusText(const QString &status);
    Q_INVOKABLE static QString appVersion();
    Q_INVOKABLE static QString buildNumber();
    // "5 秒" for the refresh interval choices.
    Q_INVOKABLE static QString secondsLabel(double seconds);
};
