// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Haptics.h"

#include "Logging.h"

#include <QDebug>

Haptics::Haptics(QObject *parent) : QObject(parent) {}

bool Haptics::impact(const QString &style)
{
    if (style == QLatin1String("light")) {
        ++m_light;
    } else if (style == QLatin1String("medium")) {
        ++m_medium;
    } else if (style == QLatin1String("heavy")) {
        ++m_heavy;
    } else {
        qCWarning(lcUi).noquote() << "unknown haptic impact style" << style;
        return false;
    }
    Q_EMIT countChanged();
    return true;
}

void Haptics::reset()
{
    m_light = m_medium = m_heavy = 0;
    Q_EMIT countChanged();
}
