// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/ServerConfig.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <optional>
#include <utility>

class KeychainHelper;
struct SecretChanges;

// Which credential-store accounts a profile's settings use, and the writes of a change to them
// with their undo. Only the profile repository uses these.
namespace profilesecrets {

// The accounts other than the password's that a profile's settings use.
QStringList usedAccounts(const ServerConfig &server);

// Every account other than the password's a profile may have written, with headerCount header
// names at most.
QStringList otherAccounts(const ServerConfig &server, qsizetype headerCount);

using SecretWrites = QList<std::pair<QString, QString>>;                   // account, new value
using PreviousSecrets = QList<std::pair<QString, std::optional<QString>>>; // account, old value

// What a change does to the secrets the settings use: the values it writes, and the accounts it
// empties (any but the password's, whose empty value is a password of its own).
struct SecretPlan
{
    SecretWrites writes;
    QStringList removals;
};

SecretPlan planSecrets(const ServerConfig &server, const SecretChanges &changes);

// Saves each value, noting first what its account held. When the store refuses one, every
// account written so far gets its old value back and the refusal is rethrown.
QCoro::Task<PreviousSecrets> saveSecrets(KeychainHelper &keychain, SecretWrites writes);

// Puts back what the accounts held; best effort, as the failure that led here is the one to report.
QCoro::Task<void> restoreSecrets(KeychainHelper &keychain, PreviousSecrets previous);

} // namespace profilesecrets
