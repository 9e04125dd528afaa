#include "pg_instance.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

#include <libpq-fe.h>

namespace vxtest {

namespace {

const char *const kSuperuser = "vendrix";
const char *const kPort = "5432";

QString binDir()
{
    const QDir root("/usr/lib/postgresql");
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
        [](const QString &a, const QString &b) { return a.toDouble() > b.toDouble(); });
    for (const QString &v : versions) {
        const QString bin = root.filePath(v + "/bin");
        if (QFile::exists(bin + "/initdb") && QFile::exists(bin + "/pg_ctl"))
            return bin;
    }
    return QString();
}

} // namespace

PgInstance::PgInstance() : bin_(binDir())
{
}

PgInstance::~PgInstance()
{
    if (running_)
        stopServer();
}

bool PgInstance::installed()
{
    return !binDir().isEmpty();
}

bool PgInstance::run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (asNobody_)
        p.start("runuser", QStringList {"-u", "nobody", "--", bin_ + "/" + program} + args);
    else
        p.start(bin_ + "/" + program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error_ = program + " failed: " + QString::fromLocal8Bit(p.readAll()) + p.errorString();
        return false;
    }
    return true;
}

bool PgInstance::start()
{
    if (bin_.isEmpty()) {
        error_ = "PostgreSQL's server binaries are not installed (/usr/lib/postgresql/*/bin/initdb)";
        return false;
    }
    // As root, in /tmp: the user nobody must reach the directory, which a
    // TMPDIR under root's home would not let it.
    const QString base = ::geteuid() == 0 ? QStringLiteral("/tmp") : QDir::tempPath();
    dir_ = std::make_unique<QTemporaryDir>(base + "/vx-pg-XXXXXX");
    if (!dir_->isValid()) {
        error_ = "no temporary directory";
        return false;
    }
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(dir_->path().toLocal8Bit().constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
            error_ = "cannot hand the test directory to the user nobody";
            return false;
        }
        asNobody_ = true;
    }
    const QString data = dir_->filePath("data");
    if (!run("initdb", {"-D", data, "-U", kSuperuser, "-A", "trust", "-E", "UTF8", "--no-locale", "--no-sync"}))
        return false;
    QFile conf(data + "/postgresql.conf");
    if (!conf.open(QIODevice::Append)) {
        error_ = "cannot write postgresql.conf";
        return false;
    }
    // Only the socket in the private directory; durability is not what
    // these tests are about.
    conf.write(QStringLiteral("listen_addresses = ''\nunix_socket_directories = '%1'\nport = %2\n"
                              "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
                              "max_connections = 300\nshared_buffers = 32MB\n")
                   .arg(dir_->path(), kPort)
                   .toUtf8());
    conf.close();
    return startServer();
}

bool PgInstance::startServer()
{
    if (!run("pg_ctl", {"-D", dir_->filePath("data"), "-l", dir_->filePath("server.log"), "-w", "-t", "60", "start"}))
        return false;
    running_ = true;
    return true;
}

bool PgInstance::stopServer()
{
    running_ = false;
    return run("pg_ctl", {"-D", dir_->filePath("data"), "-m", "fast", "-w", "stop"});
}

QString PgInstance::connInfo(const QString &db) const
{
    return QStringLiteral("host=%1 port=%2 user=%3 dbname=%4").arg(dir_->path(), kPort, kSuperuser, db);
}

QString PgInstance::dbName(const QString &name)
{
    QString db = name;
    db.replace(QRegExp("[^A-Za-z0-9]"), "_");
    return "vx_" + db.toLower();
}

std::string PgInstance::sql(const QString &name, const std::string &statement)
{
    PGconn *c = PQconnectdb(connInfo(name == "postgres" ? name : dbName(name)).toUtf8().constData());
    std::string error;
    if (PQstatus(c) != CONNECTION_OK) {
        error = PQerrorMessage(c);
    } else {
        PGresult *r = PQexec(c, statement.c_str());
        const auto status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            error = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    return error;
}

std::string PgInstance::value(const QString &name, const std::string &query)
{
    PGconn *c = PQconnectdb(connInfo(dbName(name)).toUtf8().constData());
    std::string out;
    if (PQstatus(c) == CONNECTION_OK) {
        PGresult *r = PQexec(c, query.c_str());
        if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 && PQnfields(r) > 0)
            out = PQgetvalue(r, 0, 0);
        PQclear(r);
    }
    PQfinish(c);
    return out;
}

QString PgInstance::database(const QString &name)
{
    auto it = databases_.find(name);
    if (it != databases_.end())
        return it->second;
    const QString db = dbName(name);
    const std::string error = sql("postgres", "CREATE DATABASE " + db.toStdString() + " ENCODING 'UTF8'");
    if (!error.empty())
        qWarning("CREATE DATABASE %s: %s", qPrintable(db), error.c_str());
    const QString address =
        QStringLiteral("postgresql://%1@/%2?host=%3&port=%4").arg(kSuperuser, db, dir_->path(), kPort);
    databases_[name] = address;
    return address;
}

QString PgInstance::unreachableAddress() const
{
    return QStringLiteral("postgresql://%1@/nowhere?host=%2&port=5999").arg(kSuperuser, dir_->path());
}

bool PgInstance::client(const QString &program, const QStringList &args)
{
    return run(program, args);
}

QStringList PgInstance::clientOptions(const QString &name) const
{
    return {"-h", dir_->path(), "-p", kPort, "-U", kSuperuser, "-d", dbName(name)};
}

QString PgInstance::filePath(const QString &name) const
{
    return dir_->filePath(name);
}

QString PgInstance::log() const
{
    QFile f(dir_->filePath("server.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace vxtest
