#include "startup.h"

#include <QMetaProperty>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

// The generated icon-font module, as documents see it through "import FontAwesome 1.0".
class TestFontAwesome : public QObject
{
    Q_OBJECT

private:
    QQmlEngine m_engine;
    QScopedPointer<QObject> m_holder;
    QObject *m_icons = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        Startup::registerFontResources();
        m_engine.addImportPath(QStringLiteral(VENDRIX_SOURCE_DIR));
        QQmlComponent component(&m_engine);
        component.setData("import QtQml 2.15\nimport FontAwesome 1.0\n"
                          "QtObject { property QtObject icons: FontAwesome }",
            QUrl::fromLocalFile(QStringLiteral(VENDRIX_SOURCE_DIR "/holder.qml")));
        m_holder.reset(component.create());
        QVERIFY2(m_holder, qPrintable(component.errorString()));
        m_icons = m_holder->property("icons").value<QObject *>();
        QVERIFY(m_icons);
    }

    void everyIconOfTheListHasOneProperty()
    {
        const QMetaObject *meta = m_icons->metaObject();
        int icons = 0;
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            if (property.userType() != QMetaType::QString || qstrcmp(property.name(), "fontFamily") == 0)
                continue;
            const QString value = property.read(m_icons).toString();
            QVERIFY2(value.size() == 1, property.name());
            ++icons;
        }
        QCOMPARE(icons, 785);
        QCOMPARE(m_icons->property("fontFamily").toString(), QStringLiteral("FontAwesome"));
    }

    void spotValues()
    {
        QCOMPARE(m_icons->property("addressBook").toString(), QString(QChar(0xF2B9)));
        QCOMPARE(m_icons->property("addressBookO").toString(), QString(QChar(0xF2BA)));
        QCOMPARE(m_icons->property("arrowCircleLeft").toString(), QString(QChar(0xF0A8)));
        // names the engine refuses keep their icon under a trailing underscore
        QCOMPARE(m_icons->property("try_").toString(), QString(QChar(0xF195)));
        QVERIFY(!m_icons->property("500px").isValid());
    }
};

QTEST_MAIN(TestFontAwesome)
#include "tst_fontawesome.moc"
