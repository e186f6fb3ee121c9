// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

// Where a re-login finds the password of a profile, by its account name. The application hands
// in the credential store; absent means no password is known and the session is given up.
using PasswordProvider = std::function<QCoro::Task<std::optional<QString>>(QString account)>;
