// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The body of an add request: the links or the torrent file first, then the optional fields
// in the order savepath, category, tags. Texts go in as they are, without escaping.
struct MultipartBody
{
    QByteArray boundary; // "Boundary-" + a new upper-case UUID
    QByteArray bytes;

    QByteArray contentType() const { return "multipart/form-data; boundary=" + boundary; }

    struct Options
    {
        std::optional<QString> savePath;
        std::optional<QString> category;
        std::optional<QString> tags;
    };

    static MultipartBody forUrls(const QString &urls, const Options &options);
    static MultipartBody forFile(const QString &fileName, const QByteArray &fileData, const Options &options);
    static QByteArray newBoundary();
};
