// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// application/x-www-form-urlencoded value encoding: the UTF-8 bytes with ASCII letters,
// digits and "*-._" kept, space as "+", every other byte as "%XX" (upper-case hex).
QByteArray formEncode(const QString &value);

// The login body: "username=" + encoded name + "&password=" + encoded password.
QByteArray loginBody(const QString &username, const QString &password);
