// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <qcoro/qcorotask.h>

#include <optional>

// The outcome of an operation that may fail: its value, or the error it threw. Awaiting an
// operation through attempt() keeps the failure as a value, so a caller can act on it after
// the await (C++ allows no co_await inside a catch block) without a try block of its own.
template <typename T> struct Attempted
{
    std::optional<T> value;
    ErrorPtr error;
};

template <typename T> QCoro::Task<Attempted<T>> attempt(QCoro::Task<T> task)
{
    Attempted<T> result;
    try {
        result.value = co_await std::move(task);
    } catch (...) {
        result.error = currentError();
    }
    co_return result;
}

// For operations without a value: the error, or null on success.
inline QCoro::Task<ErrorPtr> attempt(QCoro::Task<void> task)
{
    ErrorPtr error;
    try {
        co_await std::move(task);
    } catch (...) {
        error = currentError();
    }
    co_return error;
}
