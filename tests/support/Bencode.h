// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <variant>
#include <vector>

// A bencoded value: integer, byte string, list or dictionary. Dictionaries are written with
// their keys sorted as raw bytes, whatever order they were given in; a key given twice keeps
// its last value.
class BencodeValue
{
public:
    using List = std::vector<BencodeValue>;
    using Dict = std::vector<std::pair<QByteArray, BencodeValue>>;

    BencodeValue(qint64 integer) : m_data(integer) {}
    BencodeValue(int integer) : m_data(qint64(integer)) {}
    BencodeValue(QByteArray bytes) : m_data(std::move(bytes)) {}
    BencodeValue(const char *text) : m_data(QByteArray(text)) {}
    BencodeValue(const QString &text) : m_data(text.toUtf8()) {}
    BencodeValue(List list) : m_data(std::move(list)) {}
    BencodeValue(Dict dict) : m_data(std::move(dict)) {}

    QByteArray encode() const
    {
        QByteArray out;
        encodeInto(out);
        return out;
    }

private:
    void encodeInto(QByteArray &out) const;

    std::variant<qint64, QByteArray, List, Dict> m_data;
};

struct MadeTorrent
{
    QByteArray bytes; // the .torrent file
    QString infoHash; // SHA-1 of the bencoded info dictionary, lower-case hex (v1 torrent)
};

// The .torrent of the data at `dataPath`: a single-file torrent when it is a file, a
// multi-file torrent named after the directory otherwise (every file below it, in the order of
// their relative paths). `trackers` go into "announce" (the first) and "announce-list" (one
// tier each). `pieceLength` is a power of two of at least 16 KiB. Throws std::runtime_error when the data
// cannot be read or there is none.
MadeTorrent makeTorrent(const QString &dataPath, const QStringList &trackers = {},
                        qint64 pieceLength = 16 * 1024);

// makeTorrent, and the .torrent written to `torrentPath` as well.
MadeTorrent writeTorrentFile(const QString &dataPath, const QString &torrentPath,
                             const QStringList &trackers = {});

// Writes `size` reproducible pseudo-random bytes (different for every seed) to `path`, creating
// its directory. Throws std::runtime_error on failure.
void writeDataFile(const QString &path, qint64 size, quint32 seed);
