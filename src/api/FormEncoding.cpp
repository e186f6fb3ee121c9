// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FormEncoding.h"

#include <QUrl>

QByteArray formEncode(const QString &value)
{
    // Qt keeps letters, digits and "-._~"; a form keeps "*" as well and encodes "~". The space,
    // kept here too, becomes "+" afterwards: no other byte is a literal space any more.
    return QUrl::toPercentEncoding(value, QByteArrayLiteral(" *"), QByteArrayLiteral("~")).replace(' ', '+');
}

QByteArray loginBody(const QString &username, const QString &password)
{
    return "username=" + formEncode(username) + "&password=" + formEncode(password);
}
