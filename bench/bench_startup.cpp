// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up to the first frame of the welcome screen: a new QML engine, Main.qml loaded with the
// Seedwhirl module, and the window's first frame swapped, on the offscreen platform. The
// baseline is the same path for an engine that loads an empty Window, so the ratio says what
// the screens themselves add on top of Qt Quick's own start. Each iteration is one start in
// the same process; "first_ms" is the very first one, which also pays for loading the module's
// types, the Material style and the fonts.

#include "BenchApplication.h"
#include "UiSetup.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

namespace {

constexpr int firstFrameTimeoutMs = 30000;

// Mean seconds per start of the baseline, for the ratio of the benchmarks after it.
std::optional<double> baselineSeconds;

// Creates an engine, loads the document and waits for the first frame of its window. The
// seconds from creation to the frame; nothing (with the reason) when no frame came.
std::optional<double> startOnce(const std::function<void(QQmlApplicationEngine &)> &load, QString &error)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::optional<Clock::time_point> framed;
    {
        QQmlApplicationEngine engine;
        prepareQmlEngine(engine);
        load(engine);
        auto *window = engine.rootObjects().isEmpty()
                           ? nullptr
                           : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
        if (!window) {
            error = QStringLiteral("the document did not load to a window");
            return std::nullopt;
        }
        QEventLoop loop;
        QObject::connect(window, &QQuickWindow::frameSwapped, &loop, [&] {
            if (!framed)
                framed = Clock::now();
            loop.quit();
        });
        QTimer::singleShot(firstFrameTimeoutMs, &loop, &QEventLoop::quit);
        if (!framed)
            loop.exec();
        if (!framed) {
            error = QStringLiteral("no frame within %1 s").arg(firstFrameTimeoutMs / 1000);
            return std::nullopt;
        }
    }
    // The engine's objects go before the next start.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return std::chrono::duration<double>(*framed - start).count();
}

void runStarts(benchmark::State &state, const std::function<void(QQmlApplicationEngine &)> &load,
               bool isBaseline)
{
    double total = 0;
    std::optional<double> first;
    for (auto _ : state) {
        QString error;
        const auto seconds = startOnce(load, error);
        if (!seconds) {
            state.SkipWithError(error.toUtf8().constData());
            return;
        }
        if (!first)
            first = *seconds;
        total += *seconds;
        state.SetIterationTime(*seconds);
    }
    const double mean = total / double(state.iterations());
    state.counters["first_ms"] = *first * 1000.0;
    if (isBaseline)
        baselineSeconds = mean;
    else if (baselineSeconds)
        state.counters["x_baseline"] = mean / *baselineSeconds;
}

void BM_Baseline_EmptyWindow(benchmark::State &state)
{
    runStarts(
        state,
        [](QQmlApplicationEngine &engine) {
            engine.loadData("import QtQuick\nWindow { width: 390; height: 844; visible: true }");
        },
        true);
}

void BM_Startup_WelcomeScreen(benchmark::State &state)
{
    runStarts(
        state,
        [](QQmlApplicationEngine &engine) {
            engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
        },
        false);
}

} // namespace

// The baseline runs first: the welcome screen's ratio is taken against it.
BENCHMARK(BM_Baseline_EmptyWindow)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Startup_WelcomeScreen)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The first screen is the welcome screen without profiles.
    const BenchApplication app(argc, argv);
    if (!app.failure().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(app.failure()));
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
