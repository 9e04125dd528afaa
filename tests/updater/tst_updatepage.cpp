#include "fakeenvironment.h"
#include "loopbackhttps.h"
#include "qmltypes.h"
#include "startup.h"
#include "updateinstance.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The settings page "Updates" as the container shows it, and its button
// that starts a check of the built-in feed.
class UpdatePageTest : public QObject
{
    Q_OBJECT

private:
    LoopbackHttpsServer m_server;
    QTemporaryDir m_home;
    std::unique_ptr<QQuickView> m_view;

    QQuickItem *item(const char *name) const
    {
        return m_view->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
    }

    void click(QQuickItem *target)
    {
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }

    static QByteArray feed(const QString &latest)
    {
        const QJsonObject entry {{QStringLiteral("latest-version"), latest},
            {QStringLiteral("changelog"), QStringLiteral("Neu")}, {QStringLiteral("download-url"), QString()}};
        return QJsonDocument(QJsonObject {{QStringLiteral("updates"), QJsonObject {{QStringLiteral("linux"), entry}}}})
            .toJson();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        Startup::setApplicationIdentity();
        QmlTypes::registerAll();
        QQuickStyle::setStyle(QStringLiteral("Material"));
        QVERIFY(m_server.start());
        QDir().mkpath(QStringLiteral("screenshots"));

        m_view = std::make_unique<QQuickView>();
        Startup::publishContextProperties(m_view->rootContext(), 1440, 900);
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->resize(1100, 700);
        m_view->setSource(
            QUrl::fromLocalFile(QStringLiteral(VENDRIX_SOURCE_DIR "/src/views/einstellungen/Update.qml")));
        for (const QQmlError &error : m_view->errors())
            qWarning() << error;
        QCOMPARE(m_view->status(), QQuickView::Ready);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanupTestCase() { m_view.reset(); }

    void showsTheVersionAndTheControls()
    {
        QCOMPARE(item("version")->property("text").toString(), QStringLiteral("Aktuelle Version: 0.9.6"));
        QQuickItem *manual = item("manualUpdate");
        QCOMPARE(manual->property("text").toString(), QStringLiteral("Manuel Updaten"));
        QVERIFY(manual->property("highlighted").toBool());
        QVERIFY(manual->isEnabled());
        QCOMPARE(manual->property("radius").toReal(), 20 * 0.7);
        QQuickItem *automatic = item("autoUpdate");
        QCOMPARE(
            automatic->property("text").toString(), QStringLiteral("Auto update (noch nicht fertig implementiert)"));
        QVERIFY(!automatic->isEnabled());
        QQuickItem *save = item("save");
        QCOMPARE(save->property("text").toString(), QStringLiteral("SPEICHERN"));
        QVERIFY(!save->isEnabled());
        QCOMPARE(save->height(), 80.0);
        QCOMPARE(save->width(), m_view->width() - 2 * 100 * 0.7);
        // Only a real window system draws the page as users see it.
        const QImage picture = m_view->grabWindow();
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            QVERIFY(picture.save(QStringLiteral("screenshots/settings-page.png")));
    }

    void manualUpdateChecksTheFeed_data()
    {
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<bool>("available");
        QTest::newRow("nothing newer") << "0.9.6"
                                       << "<h3>Sie benutzen die neueste Version von Vendrix</h3>" << false;
        QTest::newRow("newer") << "0.9.7"
                               << "<h3>Version 0.9.7 of Vendrix wurde freigegeben!</h3>" << true;
    }

    void manualUpdateChecksTheFeed()
    {
        QFETCH(QString, latest);
        QFETCH(QString, headline);
        QFETCH(bool, available);
        m_server.answer(QUrl(UpdateInstance::feedUrl()).path(), feed(latest));
        FakeEnvironment environment(&m_server);
        environment.answers = {QMessageBox::No};
        auto *facade = m_view->rootObject()->findChild<UpdateInstance *>(QStringLiteral("updater"));
        QVERIFY(facade);
        QSignalSpy changed(facade, &UpdateInstance::updateAvailableChanged);

        QTest::ignoreMessage(QtDebugMsg, "false true true true false");
        QTest::ignoreMessage(QtDebugMsg, "Settings applied");
        click(item("manualUpdate"));
        QVERIFY(changed.wait(10000));
        QCOMPARE(environment.boxes.size(), 1);
        QCOMPARE(environment.boxes.first().text, headline);
        QCOMPARE(facade->UpdateAvailable(), available);
        QCOMPARE(facade->Changelog(), QStringLiteral("Neu"));
    }
};

QTEST_MAIN(UpdatePageTest)
#include "tst_updatepage.moc"
