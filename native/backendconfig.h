#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

// How this installation reaches its backend beyond what the build compiled in,
// so that one build serves every office: the environment may name the origin
// of the office's server (VENDRIX_API_URL) and a file of CA certificates to
// trust beside the system's (VENDRIX_CA_FILE), for a server whose certificate
// comes from a private CA.
namespace BackendConfig {

constexpr const char *OriginVariable = "VENDRIX_API_URL";
constexpr const char *CaFileVariable = "VENDRIX_CA_FILE";

// The origin the documents were built with (the CMake option VENDRIX_API_URL).
QUrl compiledOrigin();

// A value of VENDRIX_API_URL, checked: the origin, or why it is refused.
struct OriginCheck
{
    QUrl origin; // scheme, host and port only
    QString error;
};

// Accepts an https origin, and http only for this machine (localhost and the
// loopback addresses), so that a typo never sends passwords in clear over a
// network. A single trailing "/" is allowed; a path, query, fragment or user
// part is refused, since they would be dropped silently.
OriginCheck checkOrigin(const QString &value);

// "localhost", 127.0.0.0/8 and ::1.
bool isLoopbackHost(const QString &host);

// The certificates of a CA file (PEM, one or more), or why it is refused.
struct CaCheck
{
    QList<QSslCertificate> certificates;
    QString error;
};
CaCheck readCaFile(const QString &path);

// Makes the default TLS configuration of the process (every request's, the
// engine's and the native elements') trust `certificates` in addition to the
// system's CA store.
void trustBesideSystem(const QList<QSslCertificate> &certificates);

// Reads both variables and puts them into effect: requests for the compiled
// origin go to the one named, and the CA file is trusted. Unset or empty
// variables change nothing. Returns "" when the application may start, else the
// message for the user; nothing is changed then.
QString applyEnvironment();

// One line per variable for --help.
QString environmentHelp();

} // namespace BackendConfig
