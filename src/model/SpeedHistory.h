// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QtGlobal>

// The download and upload rates of the last ten minutes, oldest first: at most one sample per
// few seconds (a tick of the list and a poll of the statistics screen close together make
// one), older ones dropped, so it never holds more than a few hundred.
class SpeedHistory
{
public:
    struct Sample
    {
        qint64 atMs = 0; // milliseconds since 1970
        qint64 download = 0; // bytes per second
        qint64 upload = 0;
        bool operator==(const Sample &) const = default;
    };

    static constexpr qint64 spanMs = 10 * 60 * 1000;
    static constexpr qint64 minGapMs = 4'000;

    // A sample at `atMs`; ignored when closer than minGapMs to the last one, or older than it
    // (the clock went back). Returns whether it was kept.
    bool add(qint64 atMs, qint64 download, qint64 upload);
    void clear() { m_samples.clear(); }
    const QList<Sample> &samples() const { return m_samples; }

private:
    QList<Sample> m_samples;
};
