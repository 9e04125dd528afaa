// A private PostgreSQL server for the tests: initdb in a temporary
// directory, reachable only through a Unix socket in that directory, no
// system service. As root (CI), the server runs as the user "nobody",
// since PostgreSQL refuses to run as root.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <string>

namespace vxtest {

class PgInstance
{
public:
    PgInstance();
    ~PgInstance();

    // Whether initdb and postgres are installed (/usr/lib/postgresql/*/bin).
    static bool installed();
    // initdb and start; false with a reason in lastError().
    bool start();
    // Stops the server (fast: connections are cut) and starts it again on
    // the same data, for outages.
    bool stopServer();
    bool startServer();

    // A new empty database (once per name; the same address after that):
    // its postgresql:// address for --db.
    QString database(const QString &name);
    // Runs SQL as the superuser on database `name` (as given to
    // database(), or "postgres"); "" or the error.
    std::string sql(const QString &name, const std::string &statement);
    // The first value of the first row a query returns, as text ("" when
    // none).
    std::string value(const QString &name, const std::string &query);
    // The address of a socket directory where no server listens.
    QString unreachableAddress() const;

    // Runs one of PostgreSQL's client programs of the server's version
    // (pg_dump, pg_restore) with `args`, as the user the server runs as;
    // false with its output in lastError().
    bool client(const QString &program, const QStringList &args);
    // The options that connect a client program to database `name` (as
    // given to database()).
    QStringList clientOptions(const QString &name) const;
    // A file in the server's private directory, where its client programs
    // may write.
    QString filePath(const QString &name) const;

    QString lastError() const { return error_; }
    QString log() const;

private:
    bool run(const QString &program, const QStringList &args);
    QString connInfo(const QString &db) const;
    static QString dbName(const QString &name);

    std::unique_ptr<QTemporaryDir> dir_;
    QString bin_;
    QString error_;
    bool asNobody_ = false;
    bool running_ = false;
    std::map<QString, QString> databases_;
};

} // namespace vxtest
