#include "JsonLine.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace quarvel;

class tst_JsonLine : public QObject {
    Q_OBJECT

private slots:
    void workedExample() {
        AnalysisResults results;
        results.SortedValues = {-300, -10, 1, 2, 3, 4, 5, 6, 40, 100};
        results.ValueCount = 10;
        results.FirstQuartile = 2;
        results.Median = 3.5;
        results.ThirdQuartile = 5;
        results.LowerInnerFence = -2.5;
        results.UpperInnerFence = 9.5;
        results.LowerOuterFence = -7;
        results.UpperOuterFence = 14;
        results.FieldName = "POP";
        QCOMPARE(ResultsJsonLine(QStringLiteral("t.dbf"), results),
                 QByteArray("{\"table\": \"t.dbf\", \"field\": \"POP\", \"records\": 10, "
                            "\"first_quartile\": 2, \"median\": 3.5, \"third_quartile\": 5, "
                            "\"lower_inner_fence\": -2.5, \"upper_inner_fence\": 9.5, "
                            "\"lower_outer_fence\": -7, \"upper_outer_fence\": 14, "
                            "\"ranks\": {\"1\": 3, \"2\": 2, \"3\": 2, \"4\": 3}, "
                            "\"notes\": {\"Within Inner-Quartile Range\": 6, "
                            "\"Possible Outlier-Low\": 0, \"Possible Outlier-High\": 0, "
                            "\"Probable Outlier-Low\": 2, \"Probable Outlier-High\": 2}}\n"));
    }

    // The ranked layer and the map come last, in that order; a refused map is null, with why.
    void layerAndMap_data() {
        QTest::addColumn<QString>("ranked");
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("mapError");
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("neither") << QString() << QString() << QString()
                                 << QByteArray("\"Probable Outlier-High\": 0}}\n");
        QTest::newRow("map") << QString() << "/d/m.png" << QString()
                             << QByteArray(
                                    "\"Probable Outlier-High\": 0}, \"map\": \"/d/m.png\"}\n");
        QTest::newRow("ranked layer and map")
            << "/d/r.gpkg"
            << "/d/m \"1\".svg" << QString()
            << QByteArray("0}, \"ranked\": \"/d/r.gpkg\", \"map\": \"/d/m \\\"1\\\".svg\"}\n");
        QTest::newRow("map refused")
            << "/d/r.shp"
            << "/d/m.pdf"
            << "No shapes.\nNone."
            << QByteArray("0}, \"ranked\": \"/d/r.shp\", \"map\": null, \"map_error\": "
                          "\"No shapes.\\nNone.\"}\n");
    }

    void layerAndMap() {
        QFETCH(QString, ranked);
        QFETCH(QString, map);
        QFETCH(QString, mapError);
        QFETCH(QByteArray, end);
        AnalysisResults results;
        const QByteArray line =
            ResultsJsonLine(QStringLiteral("t.dbf"), results, ranked, map, mapError);
        QVERIFY2(line.endsWith(end), line.constData());
        QVERIFY(line.startsWith("{\"table\": \"t.dbf\", \"field\": \"\", \"records\": 0, "));
    }

    // "left_out" follows "records" only when the run was asked to leave out empty records.
    void leftOut_data() {
        QTest::addColumn<bool>("skipEmpty");
        QTest::addColumn<int>("leftOut");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("not asked")
            << false << 0 << QByteArray("\"records\": 8, \"first_quartile\": 0, ");
        QTest::newRow("asked, none empty")
            << true << 0 << QByteArray("\"records\": 8, \"left_out\": 0, \"first_quartile\": 0, ");
        QTest::newRow("asked, three empty")
            << true << 3 << QByteArray("\"records\": 8, \"left_out\": 3, \"first_quartile\": 0, ");
    }

    void leftOut() {
        QFETCH(bool, skipEmpty);
        QFETCH(int, leftOut);
        QFETCH(QByteArray, start);
        AnalysisResults results;
        results.ValueCount = 8;
        results.SkipEmpty = skipEmpty;
        results.LeftOutCount = leftOut;
        const QByteArray line = ResultsJsonLine(QStringLiteral("t.dbf"), results);
        QVERIFY2(line.startsWith("{\"table\": \"t.dbf\", \"field\": \"\", " + start),
                 line.constData());
    }

    // The shortest text that reads back to the same double; null where JSON has no number.
    void numbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("tenth") << 0.1 << QByteArray("0.1");
        QTest::newRow("integer") << 34772.0 << QByteArray("34772");
        QTest::newRow("quarters") << -51833.75 << QByteArray("-51833.75");
        QTest::newRow("a million") << 1e6 << QByteArray("1e+06");
        QTest::newRow("1e15") << 1e15 << QByteArray("1e+15");
        QTest::newRow("1e21") << 1e21 << QByteArray("1e+21");
        QTest::newRow("2^53 + 2") << 9007199254740994.0 << QByteArray("9007199254740994");
        QTest::newRow("above 2^64") << 12345678901234567168.0 << QByteArray("12345678901234567168");
        QTest::newRow("largest") << 1.7976931348623157e308 << QByteArray("1.7976931348623157e+308");
        QTest::newRow("smallest") << 5e-324 << QByteArray("5e-324");
        QTest::newRow("small") << 2.5e-7 << QByteArray("2.5e-07");
        QTest::newRow("negative zero") << -0.0 << QByteArray("-0");
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << QByteArray("null");
        QTest::newRow("not a number") << std::nan("") << QByteArray("null");
    }

    void numbers() {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        AnalysisResults results;
        results.Median = value;
        QVERIFY2(ResultsJsonLine(QStringLiteral("t.dbf"), results)
                     .contains(", \"median\": " + text + ", \"third_quartile\""),
                 ResultsJsonLine(QStringLiteral("t.dbf"), results).constData());
    }

    void strings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("plain") << "No records." << QByteArray("\"No records.\"");
        QTest::newRow("quote, backslash") << "a\"b\\c" << QByteArray("\"a\\\"b\\\\c\"");
        QTest::newRow("line ends, tab") << "a\nb\rc\td" << QByteArray("\"a\\nb\\rc\\td\"");
        QTest::newRow("other controls") << QString::fromLatin1("\x01\x08\x0c\x1f")
                                        << QByteArray("\"\\u0001\\u0008\\u000c\\u001f\"");
        QTest::newRow("backslash before b, f") << "\\b\\f" << QByteArray("\"\\\\b\\\\f\"");
        QTest::newRow("not ASCII") << QString::fromUtf8("zäh€ \U0001D11E\x7f")
                                   << QByteArray("\"z\xc3\xa4h\xe2\x82\xac \xf0\x9d\x84\x9e\x7f\"");
    }

    void strings() {
        QFETCH(QString, text);
        QFETCH(QByteArray, json);
        QCOMPARE(RefusalJsonLine(text, QStringLiteral("x")),
                 "{\"table\": " + json + ", \"error\": \"x\"}\n");
        QCOMPARE(RefusalJsonLine(QStringLiteral("t.dbf"), text),
                 "{\"table\": \"t.dbf\", \"error\": " + json + "}\n");
    }
};

QTEST_GUILESS_MAIN(tst_JsonLine)
#include "tst_JsonLine.moc"
