// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Haptic feedback. Desktop Linux has no actuator, so an impact only counts; the counts let
// tests see that a screen asked for feedback.
class Haptics : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int lightCount READ lightCount NOTIFY countChanged)
    Q_PROPERTY(int mediumCount READ mediumCount NOTIFY countChanged)
    Q_PROPERTY(int heavyCount READ heavyCount NOTIFY countChanged)

public:
    explicit Haptics(QObject *parent = nullptr);

    int count() const { return m_light + m_medium + m_heavy; }
    int lightCount() const { return m_light; }
    int mediumCount() const { return m_medium; }
    int heavyCount() const { return m_heavy; }

    // style: "light", "medium" or "heavy"; anything else is refused (false) and not counted.
    Q_INVOKABLE bool impact(const QString &style);
    Q_INVOKABLE void reset();

Q_SIGNALS:
    void countChanged();

private:
    int m_light = 0;
    int m_medium = 0;
    int m_heavy = 0;
};
