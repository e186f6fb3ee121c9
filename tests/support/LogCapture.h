// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/Log.h"

#include <QRegularExpression>
#include <QStringList>

// Collects the log lines written while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        setLogObserver([this](const QString &line) { m_lines.append(line); });
    }
    ~LogCapture() { setLogObserver({}); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const QStringList &lines() const { return m_lines; }
    void clear() { m_lines.clear(); }
    bool contains(const QString &line) const { return m_lines.contains(line); }
    // Lines that start with the given prefix, in order.
    QStringList startingWith(const QString &prefix) const
    {
        return m_lines.filter(QRegularExpression(u'^' + QRegularExpression::escape(prefix)));
    }

private:
    QStringList m_lines;
};
