// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ScreenDriver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QMetaMethod>
#include <QMetaObject>
#include <QPointer>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSet>
#include <QTimer>

#include <deque>

namespace {

// How often a condition is looked at while the event loop runs between looks.
constexpr int pollIntervalMs = 20;

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QQuickItem *rootItem(QQuickWindow &window)
{
    QQuickItem *item = window.contentItem();
    while (item && item->parentItem())
        item = item->parentItem();
    return item;
}

QQuickItem *overlayItem(QQuickWindow &window)
{
    QQuickItem *root = rootItem(window);
    if (!root)
        return nullptr;
    for (QQuickItem *child : root->childItems()) {
        if (child->inherits("QQuickOverlay"))
            return child;
    }
    return nullptr;
}

// The software scene graph (the offscreen platform has no OpenGL) cannot draw shader effects,
// and an item whose layer carries one is left out altogether: a raised Material button would
// lose its whole background. Such layers are switched off before a frame is taken, so the item
// is drawn as it is, only without its shadow.
void flattenLayerEffects(QQuickWindow &window)
{
    if (window.rendererInterface()->graphicsApi() != QSGRendererInterface::Software)
        return;
    // Switching a layer off deletes its effect item, so the layers are collected first.
    QList<QPointer<QObject>> layers;
    std::deque<QQuickItem *> queue{rootItem(window)};
    while (!queue.empty()) {
        QQuickItem *item = queue.front();
        queue.pop_front();
        if (!item)
            continue;
        QObject *layer = item->property("layer").value<QObject *>();
        if (layer && layer->property("enabled").toBool() && layer->property("effect").value<QObject *>())
            layers.append(layer);
        for (QQuickItem *child : item->childItems())
            queue.push_back(child);
    }
    for (const QPointer<QObject> &layer : layers) {
        if (layer)
            layer->setProperty("enabled", false);
    }
}

// Every horizontal list's highlight (the underline of a tab bar) has reached its current item: the move
// is animated, and a frame taken right after a tab change would show it on the way.
bool highlightsSettled(QQuickWindow &window)
{
    std::deque<QQuickItem *> queue{rootItem(window)};
    while (!queue.empty()) {
        QQuickItem *item = queue.front();
        queue.pop_front();
        if (!item)
            continue;
        if (item->isVisible() && item->inherits("QQuickListView") &&
            item->property("orientation").toInt() == Qt::Horizontal) {
            auto *highlight = item->property("highlightItem").value<QQuickItem *>();
            auto *current = item->property("currentItem").value<QQuickItem *>();
            if (highlight && current &&
                (!qFuzzyCompare(highlight->x() + 1, current->x() + 1) ||
                 !qFuzzyCompare(highlight->width() + 1, current->width() + 1)))
                return false;
        }
        for (QQuickItem *child : item->childItems())
            queue.push_back(child);
    }
    return true;
}

} // namespace

ScreenDriver::ScreenDriver(QQuickWindow &window, QString outputDirectory)
    : m_window(window), m_outputDirectory(std::move(outputDirectory))
{}

QObject *ScreenDriver::find(const QString &name, QObject *scope) const
{
    QObject *start = scope ? scope : static_cast<QObject *>(rootItem(m_window));
    if (!start)
        return nullptr;
    // Breadth first, so that the nearest match wins over one deep inside another screen.
    std::deque<QObject *> queue{start};
    QSet<QObject *> seen{start};
    auto enqueue = [&](QObject *object) {
        if (object && !seen.contains(object)) {
            seen.insert(object);
            queue.push_back(object);
        }
    };
    while (!queue.empty()) {
        QObject *object = queue.front();
        queue.pop_front();
        if (object != scope && object->objectName() == name)
            return object;
        for (QObject *child : object->children())
            enqueue(child);
        if (auto *item = qobject_cast<QQuickItem *>(object)) {
            for (QQuickItem *child : item->childItems())
                enqueue(child);
        }
        // A popup's page lives in its content item, which is not one of its child objects.
        if (object->inherits("QQuickPopup"))
            enqueue(object->property("contentItem").value<QObject *>());
    }
    return nullptr;
}

QObject *ScreenDriver::waitFor(const QString &name, QObject *scope, int timeoutMs)
{
    QObject *found = nullptr;
    waitUntil(
        QStringLiteral("\"%1\" to appear").arg(name), [&] { return (found = find(name, scope)) != nullptr; },
        timeoutMs);
    return found;
}

bool ScreenDriver::waitUntil(const QString &what, const std::function<bool()> &condition, int timeoutMs)
{
    if (failed())
        return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return fail(
                QStringLiteral("timed out after %1 s waiting for %2").arg(timeoutMs / 1000.0).arg(what));
        runEventLoopFor(pollIntervalMs);
    }
    return true;
}

bool ScreenDriver::waitOpened(QObject *popup, const QString &what)
{
    if (!popup)
        return fail(QStringLiteral("%1 not found").arg(what));
    return waitUntil(what + QStringLiteral(" to open"), [&] { return popup->property("opened").toBool(); });
}

bool ScreenDriver::waitOverlayClear(const QString &what)
{
    return waitUntil(what + QStringLiteral(" to close"), [&] {
        QQuickItem *overlay = overlayItem(m_window);
        if (!overlay)
            return true;
        const QList<QQuickItem *> children = overlay->childItems();
        return std::none_of(children.begin(), children.end(),
                            [](QQuickItem *child) { return child->isVisible(); });
    });
}

bool ScreenDriver::waitStackIdle(QObject *page, const QString &what)
{
    auto *item = qobject_cast<QQuickItem *>(page);
    if (!item)
        return fail(QStringLiteral("%1 not found").arg(what));
    return waitUntil(what + QStringLiteral(" to finish its transition"), [&] {
        QQuickItem *stack = item->parentItem();
        return stack && stack->inherits("QQuickStackView") && !stack->property("busy").toBool() &&
               item->isVisible();
    });
}

bool ScreenDriver::set(QObject *object, const char *property, const QVariant &value)
{
    if (failed())
        return false;
    if (!object)
        return fail(QStringLiteral("no object to set \"%1\" on").arg(QLatin1String(property)));
    QQmlProperty qmlProperty(object, QString::fromLatin1(property));
    if (!qmlProperty.isValid() || !qmlProperty.write(value))
        return fail(
            QStringLiteral("cannot set \"%1\" of %2").arg(QLatin1String(property), object->objectName()));
    return true;
}

QVariant ScreenDriver::get(QObject *object, const char *property) const
{
    return object ? QQmlProperty::read(object, QString::fromLatin1(property)) : QVariant();
}

bool ScreenDriver::call(QObject *object, const char *method, const QVariant &a, const QVariant &b)
{
    if (failed())
        return false;
    if (!object)
        return fail(QStringLiteral("no object to call %1() on").arg(QLatin1String(method)));
    QVariantList args;
    for (const QVariant &arg : {a, b}) {
        if (arg.isValid())
            args.append(arg);
    }
    // QML functions take QVariant parameters, C++ invokables their own types: each argument
    // is converted to the parameter type of the method found by name and argument count.
    const QMetaObject *meta = object->metaObject();
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod candidate = meta->method(i);
        if (candidate.name() != method || candidate.parameterCount() != args.size())
            continue;
        QVariantList converted = args;
        QGenericArgument generic[2];
        bool convertible = true;
        for (int p = 0; p < converted.size(); ++p) {
            const QMetaType type = candidate.parameterMetaType(p);
            if (type.id() != QMetaType::QVariant && !converted[p].convert(type)) {
                convertible = false;
                break;
            }
            generic[p] = type.id() == QMetaType::QVariant
                             ? QGenericArgument("QVariant", &converted[p])
                             : QGenericArgument(type.name(), converted[p].constData());
        }
        if (convertible && candidate.invoke(object, Qt::DirectConnection, generic[0], generic[1]))
            return true;
    }
    return fail(QStringLiteral("cannot call %1() of %2").arg(QLatin1String(method), object->objectName()));
}

bool ScreenDriver::shoot(const QString &name)
{
    if (failed())
        return false;
    if (!waitUntil(QStringLiteral("the tab highlights to settle"),
                   [&] { return highlightsSettled(m_window); }))
        return false;
    flattenLayerEffects(m_window);
    const QImage image = m_window.grabWindow();
    if (image.isNull())
        return fail(QStringLiteral("the window gave no frame"));
    const QString path = QDir(m_outputDirectory).filePath(name + QStringLiteral(".png"));
    if (!image.save(path, "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(path));
    m_written.append(path);
    return true;
}

bool ScreenDriver::fail(const QString &message)
{
    if (m_failure.isEmpty()) {
        m_failure = m_shot.isEmpty() ? message : QStringLiteral("%1: %2").arg(m_shot, message);
        // What the window showed when it went wrong, to see why.
        const QImage image = m_window.grabWindow();
        if (!image.isNull() && !m_shot.isEmpty())
            image.save(QDir(m_outputDirectory).filePath(m_shot + QStringLiteral(".failed.png")), "PNG");
    }
    return false;
}
