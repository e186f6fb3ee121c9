// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MultipartBody.h"

#include <QUuid>

namespace {
constexpr char crlf[] = "\r\n";

void appendField(QByteArray &out, const QByteArray &boundary, const char *name, const QString &value)
{
    out += "--" + boundary + crlf;
    out += QByteArray("Content-Disposition: form-data; name=\"") + name + "\"" + crlf + crlf;
    out += value.toUtf8() + crlf;
}

void appendOptionsAndClose(QByteArray &out, const QByteArray &boundary, const MultipartBody::Options &options)
{
    if (options.savePath)
        appendField(out, boundary, "savepath", *options.savePath);
    if (options.category)
        appendField(out, boundary, "category", *options.category);
    if (options.tags)
        appendField(out, boundary, "tags", *options.tags);
    out += "--" + boundary + "--" + crlf;
}
} // namespace

QByteArray MultipartBody::newBoundary()
{
    return "Boundary-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1();
}

MultipartBody MultipartBody::forUrls(const QString &urls, const Options &options)
{
    MultipartBody body{newBoundary(), {}};
    appendField(body.bytes, body.boundary, "urls", urls);
    appendOptionsAndClose(body.bytes, body.boundary, options);
    return body;
}

MultipartBody MultipartBody::forFile(const QString &fileName, const QByteArray &fileData,
                                     const Options &options)
{
    MultipartBody body{newBoundary(), {}};
    QByteArray &out = body.bytes;
    out.reserve(fileData.size() + 1024);
    out += "--" + body.boundary + crlf;
    out += "Content-Disposition: form-data; name=\"torrents\"; filename=\"" + fileName.toUtf8() + "\"" + crlf;
    out += QByteArray("Content-Type: application/x-bittorrent") + crlf + crlf;
    out += fileData;
    out += crlf;
    appendOptionsAndClose(out, body.boundary, options);
    return body;
}
