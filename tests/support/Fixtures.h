#pragma once

#include <QByteArray>
#include <QString>

// Bytes of a recorded answer of a real qBittorrent 4.5.2 server, e.g. fixture("maindata-full.json").
QByteArray fixture(const QString &name);
