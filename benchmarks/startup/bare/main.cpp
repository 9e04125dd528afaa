#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>

// A window with a login-like panel and nothing else: what any Qt Quick
// application of this shape pays before its first frame.
int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Material"));
    QQmlApplicationEngine engine;
    engine.load(QUrl(QStringLiteral("qrc:/bare.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
