// Curve files of every kind read into one list, band names across the editor's and the
// break-point files' vocabularies, and the falling stretches of a table:
// tests/data/tonal/curve_sets.txt.

#include "util/tonal/TonalCurveSet.h"

#include "tests/common/TestUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The curve editor's file: "All" and two bands with curves of their own.
const char *const editorFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<TonalCurves maxDn="4095">
  <Band name="All"><Corrector position="0" id="TonalCurve" interpolation="Linear" version="1.0">
    <Node x="0" y="0" position="0"/><Node x="1" y="1" position="1"/></Corrector></Band>
  <Band name="Red"><Corrector position="1" id="TonalCurve" interpolation="Linear" version="1.0">
    <Node x="0" y="0.1" position="0"/><Node x="1" y="0.9" position="1"/></Corrector></Band>
  <Band name="Infrared"><Corrector position="2" id="TonalCurve" interpolation="Gamma" version="1.0">
    <Node x="0" y="0" position="0"/><Node x="0.5" y="0.7" position="1"/><Node x="1" y="1" position="2"/></Corrector></Band>
</TonalCurves>
)";

} // namespace

TEST(TonalCurveSet, ReadsEveryCurveOfEveryKindOfFileInFileOrder)
{
    QTemporaryDir dir;
    const QString editor = dir.filePath("editor.xml");
    quortest::writeFile(editor, editorFile);
    for (const quortest::TableRow &row : quortest::tableRows("tonal/curve_sets.txt", "file")) {
        const QString file = row[0] == "editor"
            ? editor
            : quortest::dataPath("tonal/" + QString::fromStdString(row[0]));
        QVector<util::NamedTonalCurve> curves(1);
        util::Failure failure;
        const bool ok = util::readTonalCurves(file, curves, &failure);
        const QString error = failure.text();
        if (row[1].rfind("error: ", 0) == 0) {
            EXPECT_FALSE(ok) << row.line;
            EXPECT_TRUE(error.startsWith(file)) << error.toStdString();
            EXPECT_TRUE(error.endsWith(QString::fromStdString(row[1].substr(7)))
                        || error.contains(QString::fromStdString(row[1].substr(7))))
                << row.line << ": " << error.toStdString();
            EXPECT_EQ(curves.size(), 1) << "untouched on failure";
            continue;
        }
        ASSERT_TRUE(ok) << row.line << ": " << error.toStdString();
        QStringList bands;
        for (const util::NamedTonalCurve &c : curves)
            bands << c.band;
        EXPECT_EQ(bands.join(',').toStdString(), row[1]) << row.line;
    }
    // The editor's bands keep their own curves, not the first one's.
    QVector<util::NamedTonalCurve> curves;
    ASSERT_TRUE(util::readTonalCurves(editor, curves));
    ASSERT_EQ(curves.size(), 3);
    EXPECT_EQ(curves[1].curve.getNodes().first().y(), 0.1);
    EXPECT_EQ(curves[2].curve.getInterpolation(), util::TonalCurve::Gamma);
    EXPECT_EQ(util::findTonalBand(curves, "RED"), 1);
    EXPECT_EQ(util::findTonalBand(curves, "NIR"), 2);
    EXPECT_EQ(util::findTonalBand(curves, "composite"), 0);
    EXPECT_EQ(util::findTonalBand(curves, "Green"), -1);
}

TEST(TonalCurveSet, NamesBandsAlikeInBothVocabularies)
{
    for (const quortest::TableRow &row : quortest::tableRows("tonal/curve_sets.txt", "band"))
        EXPECT_EQ(util::tonalBandColour(QString::fromStdString(row[0])).toStdString(), row[1])
            << row.line;
}

TEST(TonalCurveSet, CountsEachFallingStretchOnce)
{
    for (const quortest::TableRow &row : quortest::tableRows("tonal/curve_sets.txt", "falls")) {
        std::vector<float> table;
        for (const QString &v : QString::fromStdString(row[0]).split(' ', Qt::SkipEmptyParts))
            table.push_back(v == "nan" ? std::nanf("") : v.toFloat());
        const double tolerance = row[1] == "-" ? -1 : QString::fromStdString(row[1]).toDouble();
        std::string text;
        for (const auto &[first, last] : util::fallingStretches(table, tolerance))
            text += (text.empty() ? "" : ",") + std::to_string(first) + "-" + std::to_string(last);
        EXPECT_EQ(text, row[2]) << row.line;
    }
}
