// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppError.h"

#include <QCoreApplication>

const char *AppError::what() const noexcept
{
    try {
        if (m_what.isEmpty())
            m_what = debugDescription().toUtf8();
        return m_what.constData();
    } catch (...) {
        return "AppError";
    }
}

ErrorPtr currentError()
{
    try {
        throw;
    } catch (const AppError &e) {
        return e.clone();
    } catch (const std::exception &e) {
        return std::make_shared<UnexpectedError>(QString::fromUtf8(e.what()));
    } catch (...) {
        return std::make_shared<UnexpectedError>(QCoreApplication::translate("AppError", "未知错误"));
    }
}
