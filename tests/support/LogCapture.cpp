#include "LogCapture.h"

#include "model/Log.h"

LogCapture::LogCapture()
{
    setLogObserver([this](const QString &line) { m_lines.append(line); });
}

LogCapture::~LogCapture()
{
    setLogObserver({});
}

QStringList LogCapture::startingWith(const QString &prefix) const
{
    QStringList out;
    for (const QString &line : m_lines)
        if (line.startsWith(prefix))
            out.append(line);
    return out;
}
