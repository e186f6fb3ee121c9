#include "TestSupport.h"

#include "TestSession.h"

#include "support/Fixtures.h"

#include "model/SyncRecords.h"
#include "store/KeychainHelper.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QJSEngine>
#include <QtTest>

#include <qcoro/qcorotask.h>

void TestSupport::applyFixture(QObject *torrentListViewModel, const QString &fixtureName)
{
    auto *model = qobject_cast<TorrentListViewModel *>(torrentListViewModel);
    if (!model) {
        qWarning("applyFixture needs a TorrentListViewModel");
        return;
    }
    model->repository().apply(SyncData::fromJson(fixture(fixtureName)));
}

bool TestSupport::forgetPassword(const QString &profileId)
{
    return QCoro::waitFor(KeychainHelper::shared().deletePassword(profileId));
}

QString TestSupport::fixtureText(const QString &fixtureName)
{
    return QString::fromUtf8(fixture(fixtureName));
}

QObject *TestSupport::startSession()
{
    auto *session = new TestSession();
    QJSEngine::setObjectOwnership(session, QJSEngine::JavaScriptOwnership);
    return session;
}
