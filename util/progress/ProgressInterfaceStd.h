#pragma once

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <string>

namespace util {

/// Plain console reporter: one line per event on standard output ("Starting: ", "Finished: ",
/// "Percent Done: " in steps of at least 1 %). Silent when the process runs as a batch-scheduler
/// job (_CONDOR_SLOT defined at construction).
class UTIL_EXPORT ProgressInterfaceStd : public ProgressInterface
{
public:
    ProgressInterfaceStd();
    ProgressInterfaceStd(const ProgressInterfaceStd &) = default;
    ProgressInterfaceStd &operator=(const ProgressInterfaceStd &) = default;
    ~ProgressInterfaceStd() override;

    using ProgressInterface::totalAmount;
    void totalAmount(double total, const char *units) override;
    double totalAmount() override;
    void starting(const char *taskName) override;
    void finished(const char *taskName) override;
    void amountDone(double amount) override;
    void percentDone(double fraction) override;

private:
    std::string m_taskName;
    double m_lastFraction = 0.0;
    double m_total = 0.0;
    bool m_quiet;
};

} // namespace util
