// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bytes as UTF-8 text exactly as received (a leading byte-order mark included); absent
// when they are not valid UTF-8.
std::optional<QString> decodeUtf8Strictly(const QByteArray &bytes);
