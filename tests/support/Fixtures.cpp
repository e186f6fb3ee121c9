// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Fixtures.h"

#include <QFile>

#include <stdexcept>

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(SEEDWHIRL_FIXTURES_DIR "/qbittorrent-4.5.2/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing fixture " + name.toStdString());
    return file.readAll();
}
