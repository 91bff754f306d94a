#pragma once

#include "util/UtilExport.h"

#include <string>

namespace util {

class SubtaskProgressInterface;

/// The one progress contract of the library. A long operation calls these in order:
/// starting(), totalAmount(total, units), any number of amountDone() (cumulative) or
/// percentDone() (fraction 0..1), optionally message() and subtaskAdded(), then finished().
/// Every operation has a default body that does nothing, so a reporter overrides what it shows.
/// Operations take a ProgressInterface* that may be null; the caller keeps ownership.
class UTIL_EXPORT ProgressInterface
{
public:
    ProgressInterface() = default;
    ProgressInterface(const ProgressInterface &) = default;
    ProgressInterface &operator=(const ProgressInterface &) = default;
    virtual ~ProgressInterface();

    /// Sets the total in the caller's unit; units names that unit for display, or is null.
    virtual void totalAmount(double total, const char *units);
    /// The total last set (0.0 by default).
    virtual double totalAmount();
    virtual void starting(const char *taskName);
    virtual void finished(const char *taskName);
    /// Cumulative amount done, in the unit of totalAmount().
    virtual void amountDone(double amount);
    /// Part done, 0.0 to 1.0.
    virtual void percentDone(double fraction);
    virtual void message(const std::string &text);
    /// Registers a subtask; the reporter reads it but does not own it.
    virtual void subtaskAdded(SubtaskProgressInterface *subtask);
};

} // namespace util
