#pragma once

#include <QObject>
#include <QStringList>

// The typefaces compiled into the executable, registered with the font
// database straight from the resource data: the font database and FreeType
// read the bytes where the executable maps them, nothing is copied to the heap.
// The login panel's faces are registered before the first frame, the faces the
// working surface draws right after it, and the faces no document draws today
// (the italics and Raleway) once the surface stands, so that every family name
// in CustomFonts resolves to its real face whenever a document asks for it.
class FontFaces : public QObject
{
    Q_OBJECT
    // true once every embedded face is registered
    Q_PROPERTY(bool complete READ complete NOTIFY completeChanged)
    // true once every face that a document draws is registered
    Q_PROPERTY(bool drawnReady READ drawnReady NOTIFY drawnReadyChanged)

public:
    explicit FontFaces(QObject *parent = nullptr);

    // resource paths (":/fonts/…") of the faces the login panel draws
    static QStringList loginFaces();
    // the faces the working surface draws, besides the login panel's
    static QStringList drawnFaces();
    // the faces no document draws (italics, Raleway); they stay loadable by name
    static QStringList undrawnFaces();

    // Registers each face once, in order; returns how many were new. A face
    // whose resource data is compressed is inflated first (a copy): the build
    // keeps font data uncompressed, so that does not happen.
    static int registerFaces(const QStringList &resourcePaths);
    // whether this resource path is registered
    static bool isRegistered(const QString &resourcePath);

    bool complete() const;
    bool drawnReady() const;

    // the faces the working surface draws, before it is built
    Q_INVOKABLE void registerDrawn();
    // the never-drawn faces, at a quiet moment after the surface stands
    Q_INVOKABLE void registerUndrawn();

Q_SIGNALS:
    void completeChanged();
    void drawnReadyChanged();
};
