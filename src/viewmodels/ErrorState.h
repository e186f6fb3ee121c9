// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <QString>

// What a screen shows of a held error: its description and, for the network errors that carry
// advice, the recovery suggestion. Shared by every model that exposes `error` to QML.
struct ErrorTexts
{
    QString message;    // localizedDescription, empty when there is no error
    QString suggestion; // recoverySuggestion when the error offers one, else empty
};

inline ErrorTexts errorTexts(const ErrorPtr &error)
{
    if (!error)
        return {};
    return {error->localizedDescription(), error->recoverySuggestion().value_or(QString())};
}
