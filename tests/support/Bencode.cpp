// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Bencode.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write ") + path);
}

struct DataFile
{
    QString absolutePath;
    QStringList components; // path below the torrent's directory; empty for a single file
    qint64 size = 0;
};

QList<DataFile> collectFiles(const QString &dataPath)
{
    const QFileInfo info(dataPath);
    if (info.isFile())
        return {DataFile{info.absoluteFilePath(), {}, info.size()}};
    if (!info.isDir())
        fail(QStringLiteral("no torrent data at ") + dataPath);

    const QDir root(info.absoluteFilePath());
    QList<DataFile> files;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        files.append({file.absoluteFilePath(),
                      root.relativeFilePath(file.absoluteFilePath()).split(QLatin1Char('/')), file.size()});
    }
    if (files.isEmpty())
        fail(QStringLiteral("no files below ") + dataPath);
    std::sort(files.begin(), files.end(),
              [](const DataFile &a, const DataFile &b) { return a.components < b.components; });
    return files;
}

// SHA-1 of every piece of the files read as one stream, concatenated.
QByteArray pieceHashes(const QList<DataFile> &files, qint64 pieceLength)
{
    QByteArray pieces;
    QByteArray piece;
    piece.reserve(pieceLength);
    for (const DataFile &file : files) {
        QFile in(file.absolutePath);
        if (!in.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read ") + file.absolutePath);
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(pieceLength - piece.size());
            if (chunk.isEmpty())
                fail(QStringLiteral("cannot read ") + file.absolutePath);
            piece += chunk;
            if (piece.size() == pieceLength) {
                pieces += QCryptographicHash::hash(piece, QCryptographicHash::Sha1);
                piece.clear();
            }
        }
    }
    if (!piece.isEmpty())
        pieces += QCryptographicHash::hash(piece, QCryptographicHash::Sha1);
    return pieces;
}

} // namespace

void BencodeValue::encodeInto(QByteArray &out) const
{
    if (const auto *integer = std::get_if<qint64>(&m_data)) {
        out += 'i' + QByteArray::number(*integer) + 'e';
    } else if (const auto *bytes = std::get_if<QByteArray>(&m_data)) {
        out += QByteArray::number(bytes->size()) + ':' + *bytes;
    } else if (const auto *list = std::get_if<List>(&m_data)) {
        out += 'l';
        for (const BencodeValue &item : *list)
            item.encodeInto(out);
        out += 'e';
    } else {
        // Stable sort, then the last of equal keys wins.
        Dict dict = std::get<Dict>(m_data);
        std::stable_sort(dict.begin(), dict.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        out += 'd';
        for (auto it = dict.begin(); it != dict.end(); ++it) {
            if (std::next(it) != dict.end() && std::next(it)->first == it->first)
                continue;
            BencodeValue(it->first).encodeInto(out);
            it->second.encodeInto(out);
        }
        out += 'e';
    }
}

MadeTorrent makeTorrent(const QString &dataPath, const QStringList &trackers, qint64 pieceLength)
{
    const QList<DataFile> files = collectFiles(dataPath);
    BencodeValue::Dict info{
        {"name", QFileInfo(QDir::cleanPath(QFileInfo(dataPath).absoluteFilePath())).fileName()},
        {"piece length", pieceLength},
        {"pieces", pieceHashes(files, pieceLength)},
    };
    if (files.size() == 1 && files.first().components.isEmpty()) {
        info.push_back({"length", files.first().size});
    } else {
        BencodeValue::List list;
        for (const DataFile &file : files) {
            BencodeValue::List path;
            for (const QString &component : file.components)
                path.emplace_back(component);
            list.emplace_back(BencodeValue::Dict{{"length", file.size}, {"path", std::move(path)}});
        }
        info.push_back({"files", std::move(list)});
    }

    // Encoding is canonical: the info dictionary has the same bytes inside the torrent.
    const QByteArray infoBytes = BencodeValue(info).encode();
    BencodeValue::Dict torrent{{"created by", "Seedwhirl tests"},
                               {"creation date", qint64(1'700'000'000)},
                               {"info", std::move(info)}};
    if (!trackers.isEmpty()) {
        torrent.push_back({"announce", trackers.first()});
        BencodeValue::List tiers;
        for (const QString &tracker : trackers)
            tiers.emplace_back(BencodeValue::List{tracker});
        torrent.push_back({"announce-list", std::move(tiers)});
    }
    const QByteArray bytes = BencodeValue(std::move(torrent)).encode();

    return {bytes,
            QString::fromLatin1(QCryptographicHash::hash(infoBytes, QCryptographicHash::Sha1).toHex())};
}

MadeTorrent writeTorrentFile(const QString &dataPath, const QString &torrentPath, const QStringList &trackers)
{
    MadeTorrent made = makeTorrent(dataPath, trackers);
    writeFile(torrentPath, made.bytes);
    return made;
}

void writeDataFile(const QString &path, qint64 size, quint32 seed)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        fail(QStringLiteral("cannot create the directory of ") + path);
    QRandomGenerator generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        data[i] = char(generator.bounded(256));
    writeFile(path, data);
}
