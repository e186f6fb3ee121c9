// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

// `--connect HOST:PORT` (the password in SEEDWHIRL_PASSWORD, the user in SEEDWHIRL_USER or
// "admin"): saves a profile for that server unless one with the same address exists, makes it
// the active one and logs in before the first screen, so the application opens connected.
// Used by `./dev demo` and `./dev shots`. Returns a description of what failed.
std::optional<QString> connectAtStart(const QString &address);
