// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>

// The client's cookie jar, which can be emptied as a whole: a re-login starts from no
// cookies at all, for every host.
class SessionCookieJar final : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;

    void clear() { setAllCookies({}); }
    QList<QNetworkCookie> cookies() const { return allCookies(); }
};
