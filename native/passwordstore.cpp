#include "passwordstore.h"

#include <QDBusConnection>
#include <QDebug>
#include <QTimer>

#include <qt5keychain/keychain.h>

#include <memory>
#include <utility>

namespace {

// the name the entries carry in the keyring
const QString service = QStringLiteral("Vendrix");

} // namespace

PasswordStore::PasswordStore(QObject *parent) : QObject(parent)
{
}

int PasswordStore::timeout() const
{
    return m_timeout;
}

void PasswordStore::setTimeout(int milliseconds)
{
    if (milliseconds == m_timeout)
        return;
    m_timeout = milliseconds;
    Q_EMIT timeoutChanged();
}

void PasswordStore::read(const QString &user, Answer answer)
{
    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setKey(user);
    run(job, QStringLiteral("reading the password of \"%1\"").arg(user), std::move(answer));
}

void PasswordStore::store(const QString &user, const QString &password, Answer answer)
{
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setKey(user);
    job->setTextData(password);
    run(job, QStringLiteral("storing the password of \"%1\"").arg(user), std::move(answer));
}

void PasswordStore::remove(const QString &user, Answer answer)
{
    auto *job = new QKeychain::DeletePasswordJob(service);
    job->setKey(user);
    run(job, QStringLiteral("removing the password of \"%1\"").arg(user), std::move(answer));
}

void PasswordStore::read(const QString &user, const QJSValue &callback)
{
    read(user, toScript(callback));
}

void PasswordStore::store(const QString &user, const QString &password, const QJSValue &callback)
{
    store(user, password, toScript(callback));
}

void PasswordStore::remove(const QString &user, const QJSValue &callback)
{
    remove(user, toScript(callback));
}

void PasswordStore::run(QKeychain::Job *job, const QString &what, Answer answer)
{
    // The secret service is reached over the session bus; without one the
    // keyring library would try to launch a bus of its own first.
    if (!QDBusConnection::sessionBus().isConnected() || m_stalled > 0) {
        qInfo().noquote() << "keyring:" << what << "- no keyring reachable";
        delete job;
        answerLater(std::move(answer), Unavailable);
        return;
    }

    // Whichever comes first, the keyring's answer or the timer, takes the
    // answer; the other finds it gone. A job is not deleted while it runs (it
    // deletes itself when done), so a late answer only finds `pending` empty.
    auto pending = std::make_shared<Answer>(std::move(answer));
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, pending, timer, what] {
        ++m_stalled;
        qWarning().noquote() << "keyring:" << what << "- no answer within" << m_timeout << "ms";
        const Answer late = std::exchange(*pending, nullptr);
        timer->deleteLater();
        late(Unavailable, QString());
    });
    connect(job, &QKeychain::Job::finished, this, [this, pending, timer, what](QKeychain::Job *done) {
        if (!*pending) {
            --m_stalled;
            qInfo().noquote() << "keyring:" << what << "- answered after the time-out, ignored";
            return;
        }
        delete timer;
        Status status = Unavailable;
        QString password;
        switch (done->error()) {
        case QKeychain::NoError:
            status = Ok;
            if (const auto *reading = qobject_cast<QKeychain::ReadPasswordJob *>(done))
                password = reading->textData();
            break;
        case QKeychain::EntryNotFound:
            status = NotFound;
            break;
        default:
            qWarning().noquote() << "keyring:" << what << "failed:" << done->errorString();
            break;
        }
        const Answer answer = std::exchange(*pending, nullptr);
        answer(status, password);
    });
    job->setAutoDelete(true);
    job->start();
    timer->start(m_timeout);
}

void PasswordStore::answerLater(Answer answer, Status status)
{
    QTimer::singleShot(0, this, [answer = std::move(answer), status] { answer(status, QString()); });
}

PasswordStore::Answer PasswordStore::toScript(const QJSValue &callback)
{
    if (!callback.isCallable())
        return [](Status, const QString &) {};
    return [callback](Status status, const QString &password) {
        QJSValue function = callback;
        const QJSValue result = function.call({QJSValue(static_cast<int>(status)), QJSValue(password)});
        if (result.isError())
            qWarning().noquote() << "keyring: the callback failed:" << result.toString();
    };
}
