#include "util/progress/ProgressInterfaceQt.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using util::ProgressInterfaceQt;

TEST(ProgressInterfaceQt, SignalsCarryNamesAndTotals)
{
    ProgressInterfaceQt relay;
    QSignalSpy started(&relay, &ProgressInterfaceQt::taskStarting);
    QSignalSpy finished(&relay, &ProgressInterfaceQt::taskFinished);
    QSignalSpy value(&relay, &ProgressInterfaceQt::taskTotalAmount);
    QSignalSpy whole(&relay, &ProgressInterfaceQt::taskTotal);
    relay.starting("Kopie nach /daten/\xc3\xa9t\xc3\xa9"); // names are UTF-8
    relay.totalAmount(1234.9, "bytes");
    relay.finished("\xe6\x97\xa5");
    EXPECT_EQ(started.value(0), QVariantList {QString::fromUtf8("Kopie nach /daten/été")});
    EXPECT_EQ(finished.value(0), QVariantList {QString(QChar(0x65e5))});
    EXPECT_EQ(value.value(0), QVariantList {1234.9});
    EXPECT_EQ(whole.value(0), QVariantList {1234});
    EXPECT_EQ(started.count() + finished.count() + value.count() + whole.count(), 4);
}

TEST(ProgressInterfaceQt, AmountsAreThrottledToTenthsOfAPercent)
{
    ProgressInterfaceQt relay;
    QSignalSpy percent(&relay, &ProgressInterfaceQt::taskPercentDone);
    QSignalSpy amount(&relay, &ProgressInterfaceQt::taskAmount);
    relay.totalAmount(100, nullptr);
    relay.percentDone(0.8);
    relay.totalAmount(10000, "bytes"); // a new total restarts the steps
    // Completion always gets through, even repeated.
    for (double a : {5.0, 10.0, 15.0, 19.9, 20.5, 9999.0, 9999.5, 10000.0, 10000.0})
        relay.amountDone(a);
    const QList<QVariantList> fractions = {{0.8}, {0.001}, {0.00205}, {0.9999}, {1.0}, {1.0}};
    EXPECT_EQ(QList<QVariantList>(percent), fractions);
    EXPECT_EQ(QList<QVariantList>(amount),
              (QList<QVariantList> {{10}, {20}, {9999}, {10000}, {10000}}));
}
