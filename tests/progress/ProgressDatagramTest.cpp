#include "util/progress/ProgressDatagram.h"

#include "tests/common/TestUtil.h"

#include <QList>

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

using util::ProgressDatagram;

namespace {

std::string printable(const QByteArray &bytes)
{
    return bytes.toPercentEncoding("#:. ").toStdString();
}

} // namespace

TEST(ProgressDatagram, RoundTripKeepsEveryField)
{
    // Texts a job may carry: anything but "###" inside or '#' at the end.
    const std::string odd[] = {"",
                               " ",
                               "plain",
                               "\x1b[2J\x1b[H",
                               "two\nlines\r\n",
                               std::string("nul\0inside", 10),
                               "\xc3\xa9t\xc3\xa9",
                               "\xff\xfe not UTF-8",
                               "#lead",
                               "a#b##c",
                               "Starting x",
                               std::string(2000, 'x')};
    const double numbers[][2] = {{0.0, 262144.0}, {0.455, 1}, {1.0 / 3.0, 12345678}, {1, 0}};
    for (const char *app : {"RECTIFIER", "APP", ""}) {
        for (std::size_t i = 0; i < std::size(odd); ++i) {
            const std::string properties[7] = {app,
                                               odd[i],
                                               odd[(i + 1) % std::size(odd)],
                                               odd[(i + 2) % std::size(odd)],
                                               odd[(i + 3) % std::size(odd)],
                                               odd[(i + 4) % std::size(odd)],
                                               odd[(i + 5) % std::size(odd)]};
            const auto &[fraction, total] = numbers[i % std::size(numbers)];
            const ProgressDatagram sent = ProgressDatagram::status(properties, fraction, total);
            const QByteArray bytes = sent.encode();
            const ProgressDatagram got = ProgressDatagram::parse(bytes);
            const std::string row = std::string(app) + " row " + std::to_string(i);
            ASSERT_EQ(got.kind(), ProgressDatagram::Status) << row << ": " << printable(bytes);
            const bool rectifier = std::string(app) == "RECTIFIER";
            EXPECT_EQ(got.isRectifierLayout(), rectifier) << row;
            for (int n = 1; n <= 7; ++n) {
                const std::string expected = n == 4 && !rectifier ? "" : properties[n - 1];
                EXPECT_EQ(got.property(n), expected) << row << " text " << n;
                EXPECT_EQ(sent.property(n), expected) << row << " text " << n;
            }
            // Numbers travel with 6 significant digits.
            const auto six = [](double v) { return QByteArray::number(v, 'g', 6); };
            EXPECT_EQ(six(got.percent()), six(sent.percent())) << row;
            EXPECT_EQ(six(got.total()), six(rectifier ? total : 0.0)) << row;
            EXPECT_EQ(six(got.done()), six(rectifier ? fraction * total : 0.0)) << row;
            EXPECT_EQ(got.encode(), bytes) << row;
        }
    }
    for (const std::string &task : odd) {
        for (const auto &notice :
             {ProgressDatagram::startNotice(task), ProgressDatagram::finishNotice(task)}) {
            const ProgressDatagram got = ProgressDatagram::parse(notice.encode());
            EXPECT_EQ(got.kind(), notice.kind()) << printable(notice.encode());
            EXPECT_EQ(got.taskName(), task);
            EXPECT_EQ(got.property(1), "");
        }
    }
}

TEST(ProgressDatagram, ReadsBothLayouts)
{
    const ProgressDatagram general =
        ProgressDatagram::parse("###APP###p3###12.5###p2###p5######host###");
    ASSERT_EQ(general.kind(), ProgressDatagram::Status);
    EXPECT_EQ(general.property(1) + general.property(2) + general.property(3), "APPp2p3");
    EXPECT_EQ(general.property(5) + "|" + general.property(6) + "|" + general.property(7),
              "p5||host");
    EXPECT_EQ(general.percent(), 12.5);
    EXPECT_EQ(general.total(), 0.0);

    const ProgressDatagram rectifier =
        ProgressDatagram::parse("###RECTIFIER###a###b###c###2000###500###d###e###f###");
    ASSERT_EQ(rectifier.kind(), ProgressDatagram::Status);
    EXPECT_TRUE(rectifier.isRectifierLayout());
    EXPECT_EQ(rectifier.property(4), "c");
    EXPECT_EQ(rectifier.total(), 2000.0);
    EXPECT_EQ(rectifier.done(), 500.0);
    EXPECT_EQ(rectifier.percent(), 25.0);
    EXPECT_EQ(rectifier.property(0) + rectifier.property(8), ""); // out of range: empty

    // A zero total travels as what it gives, and reads back the same.
    const std::string texts[7] = {"RECTIFIER", "a", "b", "c", "d", "e", "f"};
    const ProgressDatagram zero = ProgressDatagram::status(texts, INFINITY, 0);
    EXPECT_EQ(zero.encode(), "###RECTIFIER###a###b###c###0###nan###d###e###f###");
    const ProgressDatagram back = ProgressDatagram::parse(zero.encode());
    EXPECT_EQ(back.kind(), ProgressDatagram::Status);
    EXPECT_EQ(back.percent(), 0.0);
    EXPECT_TRUE(std::isnan(back.done()));

    // A copy is independent of its original.
    ProgressDatagram copy = rectifier;
    copy = general;
    EXPECT_EQ(copy.property(1), "APP");
    EXPECT_EQ(rectifier.property(1), "RECTIFIER");
}

TEST(ProgressDatagram, MalformedDatagramsAreRecognised)
{
    QList<QByteArray> rows {QByteArray()};
    for (const quortest::TableRow &row : quortest::tableRows("progress/bad_datagrams.txt", "bad"))
        rows << QByteArray::fromStdString(row[0]);
    ASSERT_GT(rows.size(), 20);
    for (const QByteArray &row : rows) {
        const ProgressDatagram d = ProgressDatagram::parse(row);
        EXPECT_EQ(d.kind(), ProgressDatagram::Malformed) << printable(row);
        EXPECT_EQ(d.encode(), "") << printable(row);
        EXPECT_EQ(d.property(1) + d.taskName(), "") << printable(row);
    }
}
