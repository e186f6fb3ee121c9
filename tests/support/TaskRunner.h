// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <QEventLoop>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <variant>

// Runs a coroutine to its end in a nested event loop and keeps what it threw, so that a test
// can look at the failure instead of hanging (QCoro::waitFor never returns when the task
// throws). `finished` stays false when the guard time ran out first.
template <typename T> struct Outcome
{
    std::optional<T> value;
    ErrorPtr error;
    bool finished = false;

    bool ok() const { return finished && !error; }
    template <typename E> const E *errorAs() const { return dynamic_cast<const E *>(error.get()); }
};

namespace taskrunner_detail {

template <typename T> using Stored = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

template <typename T> struct State
{
    Outcome<Stored<T>> outcome;
    QEventLoop *loop = nullptr;
};

template <typename T> QCoro::Task<void> drive(QCoro::Task<T> task, std::shared_ptr<State<T>> state)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            state->outcome.value.emplace();
        } else {
            state->outcome.value.emplace(co_await std::move(task));
        }
    } catch (...) {
        state->outcome.error = currentError();
    }
    state->outcome.finished = true;
    if (state->loop)
        state->loop->quit();
}

} // namespace taskrunner_detail

template <typename T> Outcome<taskrunner_detail::Stored<T>> runTask(QCoro::Task<T> task, int guardMs = 30'000)
{
    auto state = std::make_shared<taskrunner_detail::State<T>>();
    auto driver = taskrunner_detail::drive<T>(std::move(task), state);
    if (!state->outcome.finished) {
        QEventLoop loop;
        state->loop = &loop;
        QTimer::singleShot(guardMs, &loop, &QEventLoop::quit);
        loop.exec();
        state->loop = nullptr;
    }
    return state->outcome;
}
