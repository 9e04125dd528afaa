#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>

#include <functional>

namespace QKeychain {
class Job;
}

// The remembered password in the desktop's secret service (GNOME keyring,
// KWallet, ... through QtKeychain), one entry per user name under the service
// "Vendrix". Every request answers exactly once and never before it returns:
// the keyring is asked over D-Bus and its answer waited for in the event loop.
//
// Without a session bus every request answers Unavailable at once. A keyring
// that has not answered within `timeout` counts as unavailable; its late
// answer is ignored, and while such a request is still outstanding (the
// keyring takes requests one after another, so later ones would queue behind
// it) further requests answer Unavailable at once.
//
// Registered as PasswordStore in PasswordStore 1.0. Documents pass a callback:
//   read(user, function (status, password) {...})
//   store(user, password, function (status) {...})
//   remove(user, function (status) {...})
class PasswordStore : public QObject
{
    Q_OBJECT
    // milliseconds the keyring gets to answer a request
    Q_PROPERTY(int timeout READ timeout WRITE setTimeout NOTIFY timeoutChanged)

public:
    enum Status {
        // done; a read hands over the password
        Ok,
        // the keyring holds no password for this user
        NotFound,
        // no keyring reachable, none answered in time, or it refused
        Unavailable
    };
    Q_ENUM(Status)

    // the answer to a request; `password` is empty unless a read found one
    using Answer = std::function<void(Status status, const QString &password)>;

    explicit PasswordStore(QObject *parent = nullptr);

    int timeout() const;
    void setTimeout(int milliseconds);

    void read(const QString &user, Answer answer);
    void store(const QString &user, const QString &password, Answer answer);
    void remove(const QString &user, Answer answer);

    // The same for documents; `callback` may be left out.
    Q_INVOKABLE void read(const QString &user, const QJSValue &callback = QJSValue());
    Q_INVOKABLE void store(const QString &user, const QString &password, const QJSValue &callback = QJSValue());
    Q_INVOKABLE void remove(const QString &user, const QJSValue &callback = QJSValue());

Q_SIGNALS:
    void timeoutChanged();

private:
    // Starts `job` and hands its outcome to `answer` once, or Unavailable
    // without starting it when no keyring can answer now.
    void run(QKeychain::Job *job, const QString &what, Answer answer);
    void answerLater(Answer answer, Status status);
    static Answer toScript(const QJSValue &callback);

    int m_timeout = 5000;
    // requests that ran out of time and are still outstanding
    int m_stalled = 0;
};
