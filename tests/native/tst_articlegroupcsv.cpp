#include "articlegroupcsv.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The CSV reader of the article group import: what a file in the documented
// layout becomes, which rows are marked as not importable and why, and which
// files are refused as a whole.
class TestArticleGroupCsv : public QObject
{
    Q_OBJECT

private:
    static QVariantMap row(const ArticleGroupCsv &csv, int index) { return csv.rows().at(index).toMap(); }
    static QStringList problems(const ArticleGroupCsv &csv, int index)
    {
        return row(csv, index).value(QStringLiteral("problems")).toStringList();
    }

private Q_SLOTS:
    void readsQuotedFieldsWithEitherSeparator_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("separator");
        // a BOM, CR LF, a quoted separator, doubled quotes and a line break inside quotes
        QTest::newRow("semicolon") << QByteArray("\xEF\xBB\xBF"
                                                 "articlename;quantity;typ;category;customer_id\r\n"
                                                 "\"Jacke; Nordkap\";12;\"Gr\xC3\xB6\xC3\x9F"
                                                 "e \"\"L\"\"\";Textilien;22\r\n"
                                                 "\"zwei\nZeilen\"; 3 ;Hemd;;\r\n")
                                   << QStringLiteral(";");
        QTest::newRow("comma") << QByteArray("ArticleName,Quantity,TYP,category,customer_id\n"
                                             "\"Jacke; Nordkap\",12,\"Gr\xC3\xB6\xC3\x9F"
                                             "e \"\"L\"\"\",Textilien,22\n"
                                             "\n"
                                             "\"zwei\nZeilen\",3,Hemd,,\n")
                               << QStringLiteral(",");
    }

    void readsQuotedFieldsWithEitherSeparator()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, separator);
        ArticleGroupCsv csv;
        QSignalSpy loaded(&csv, &ArticleGroupCsv::loaded);
        QVERIFY(csv.parse(data));
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(csv.error(), QString());
        QCOMPARE(csv.separator(), separator);
        QCOMPARE(csv.rows().size(), 2);

        const QVariantMap first = row(csv, 0);
        QCOMPARE(first.value("articlename").toString(), QStringLiteral("Jacke; Nordkap"));
        QCOMPARE(first.value("quantity").toInt(), 12);
        QCOMPARE(first.value("typ").toString(), QStringLiteral("Größe \"L\""));
        QCOMPARE(first.value("category").toString(), QStringLiteral("Textilien"));
        QCOMPARE(first.value("customer_id").toString(), QStringLiteral("22"));
        QCOMPARE(first.value("line").toInt(), 2);
        QCOMPARE(problems(csv, 0), QStringList());
        // columns the header does not name are empty
        QCOMPARE(first.value("farbe").toString(), QString());
        QCOMPARE(first.value("storage_location").toString(), QString());

        const QVariantMap second = row(csv, 1);
        QCOMPARE(second.value("articlename").toString(), QStringLiteral("zwei\nZeilen"));
        QCOMPARE(second.value("quantity").toInt(), 3);
        QCOMPARE(second.value("customer_id").toString(), QString());
        QCOMPARE(problems(csv, 1), QStringList());
    }

    void marksRowsThatCannotBeImported()
    {
        ArticleGroupCsv csv;
        QVERIFY(csv.parse("articlename;quantity;customer_id;notiz\n"
                          "Jacke;12;22;egal\n"
                          ";5;;\n"
                          "Hemd;zwölf;;\n"
                          "Hose;;;\n"
                          "Socken;-3;x1;\n"
                          "Schal;100000;0;\n"
                          "Mütze;7;007;\n"
                          "Gürtel;1;;;zuviel\n"
                          ";;;\n"
                          "Weste;3\n"
                          "Kappe;0;;\n"
                          "\"Tuch;2;;\n"));
        QCOMPARE(csv.ignoredColumns(), QStringList {QStringLiteral("notiz")});
        // the separators-only line is no row
        QCOMPARE(csv.rows().size(), 11);
        QCOMPARE(problems(csv, 0), QStringList());
        QCOMPARE(problems(csv, 1), QStringList {QStringLiteral("Artikelname fehlt")});
        QCOMPARE(problems(csv, 2), QStringList {QStringLiteral("Menge \"zwölf\" ist keine ganze Zahl")});
        QCOMPARE(row(csv, 2).value("quantityText").toString(), QStringLiteral("zwölf"));
        QCOMPARE(problems(csv, 3), QStringList {QStringLiteral("Menge fehlt")});
        QCOMPARE(problems(csv, 4),
            (QStringList {QStringLiteral("Menge \"-3\" ist keine ganze Zahl"),
                QStringLiteral("Kundennummer \"x1\" ist keine Zahl über 0")}));
        QCOMPARE(problems(csv, 5),
            (QStringList {
                QStringLiteral("Menge über 99999"), QStringLiteral("Kundennummer \"0\" ist keine Zahl über 0")}));
        QCOMPARE(problems(csv, 6), QStringList());
        QCOMPARE(row(csv, 6).value("customer_id").toString(), QStringLiteral("7"));
        QCOMPARE(problems(csv, 7), QStringList {QStringLiteral("5 Felder, die Kopfzeile hat 4")});
        // a row cut short is kept out as one with too many fields is
        QCOMPARE(problems(csv, 8), QStringList {QStringLiteral("2 Felder, die Kopfzeile hat 4")});
        QCOMPARE(problems(csv, 9), QStringList {QStringLiteral("Menge muss mindestens 1 sein")});
        // an open quote swallows the rest of the file into one field
        QCOMPARE(row(csv, 10).value("line").toInt(), 13);
        QVERIFY(problems(csv, 10).contains(QStringLiteral("Anführungszeichen nicht geschlossen")));
    }

    // the rule the capture form follows too: the same reasons for the same values
    void groupRuleOfBothWaysIn_data()
    {
        QTest::addColumn<QString>("articlename");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("good") << "Jacke"
                              << "1" << QStringList();
        QTest::newRow("largest") << "Jacke"
                                 << "99999" << QStringList();
        QTest::newRow("no name") << ""
                                 << "5" << QStringList {QStringLiteral("Artikelname fehlt")};
        QTest::newRow("blank name") << "   "
                                    << "5" << QStringList {QStringLiteral("Artikelname fehlt")};
        QTest::newRow("zero") << "Jacke"
                              << "0" << QStringList {QStringLiteral("Menge muss mindestens 1 sein")};
        QTest::newRow("no quantity") << "Jacke"
                                     << "" << QStringList {QStringLiteral("Menge fehlt")};
        QTest::newRow("fraction") << "Jacke"
                                  << "1,5" << QStringList {QStringLiteral("Menge \"1,5\" ist keine ganze Zahl")};
        QTest::newRow("too many") << "Jacke"
                                  << "100000" << QStringList {QStringLiteral("Menge über 99999")};
        QTest::newRow("both") << ""
                              << "0"
                              << QStringList {QStringLiteral("Artikelname fehlt"),
                                     QStringLiteral("Menge muss mindestens 1 sein")};
    }

    void groupRuleOfBothWaysIn()
    {
        QFETCH(QString, articlename);
        QFETCH(QString, quantity);
        QFETCH(QStringList, problems);
        ArticleGroupCsv csv;
        QCOMPARE(csv.groupProblems(articlename, quantity), problems);
        // an import row with these values gives the same reasons
        QVERIFY(csv.parse(QStringLiteral("articlename;quantity\n\"%1\";\"%2\"\n").arg(articlename, quantity).toUtf8()));
        QCOMPARE(csv.rows().size(), 1);
        QCOMPARE(TestArticleGroupCsv::problems(csv, 0), problems);
    }

    void refusesFilesWithoutAUsableHeader_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray("\xEF\xBB\xBF \r\n") << QStringLiteral("Die Datei ist leer");
        QTest::newRow("latin1") << QByteArray("articlename;quantity\nGr\xF6\xDF"
                                              "e;1\n")
                                << QStringLiteral("Die Datei ist nicht in UTF-8 geschrieben");
        QTest::newRow("no quantity") << QByteArray("articlename;menge\nJacke;1\n")
                                     << QStringLiteral("Die Kopfzeile nennt keine Spalte \"quantity\"");
        QTest::newRow("twice") << QByteArray("articlename;quantity;Quantity\nJacke;1;2\n")
                               << QStringLiteral("Die Spalte \"quantity\" steht zweimal in der Kopfzeile");
    }

    void refusesFilesWithoutAUsableHeader()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, error);
        ArticleGroupCsv csv;
        QVERIFY(csv.parse("articlename;quantity\nJacke;1\n"));
        QSignalSpy loaded(&csv, &ArticleGroupCsv::loaded);
        QVERIFY(!csv.parse(data));
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(csv.error(), error);
        // nothing of the previous file is left to import
        QCOMPARE(csv.rows(), QVariantList());
    }

    void loadsLocalFilesOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gruppen.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("articlename,quantity\nJacke,4\n");
        file.close();

        ArticleGroupCsv csv;
        QVERIFY(csv.load(QUrl::fromLocalFile(path)));
        QCOMPARE(csv.rows().size(), 1);

        QVERIFY(!csv.load(QUrl::fromLocalFile(dir.filePath(QStringLiteral("fehlt.csv")))));
        QVERIFY(csv.error().startsWith(QStringLiteral("Die Datei kann nicht gelesen werden")));
        QVERIFY(!csv.load(QUrl(QStringLiteral("http://127.0.0.1/gruppen.csv"))));
        QCOMPARE(csv.error(), QStringLiteral("Nur lokale Dateien können importiert werden"));

        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(ArticleGroupCsv::maximumFileSize + 1, 'a'));
        file.close();
        QVERIFY(!csv.load(QUrl::fromLocalFile(path)));
        QCOMPARE(csv.error(), QStringLiteral("Die Datei ist größer als 10 MB"));
    }
};

QTEST_GUILESS_MAIN(TestArticleGroupCsv)

#include "tst_articlegroupcsv.moc"
