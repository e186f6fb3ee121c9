// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SpeedHistory.h"

#include <algorithm>

bool SpeedHistory::add(qint64 atMs, qint64 download, qint64 upload)
{
    if (!m_samples.isEmpty() && atMs - m_samples.constLast().atMs < minGapMs)
        return false;
    m_samples.append(Sample{atMs, std::max<qint64>(download, 0), std::max<qint64>(upload, 0)});
    const auto first = std::find_if(m_samples.cbegin(), m_samples.cend(),
                                    [&](const Sample &s) { return atMs - s.atMs <= spanMs; });
    m_samples.erase(m_samples.cbegin(), first);
    return true;
}
