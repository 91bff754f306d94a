#pragma once

/// \file
/// The progress contract through which the library's long operations report.
/// \ingroup core

#include "util/UtilExport.h"

#include <string>

namespace util {

class SubtaskProgressInterface;

/// The one progress contract of the library. A long operation calls these in order:
/// starting(), totalAmount(total, units), any number of amountDone() (cumulative) or
/// percentDone() (fraction 0..1), optionally message() and subtaskAdded(), then finished().
/// Every operation has a default body that does nothing, so a reporter overrides what it shows.
/// Operations take a ProgressInterface* that may be null; the caller keeps ownership.
/// \ingroup core
class UTIL_EXPORT ProgressInterface
{
public:
    /// A reporter that shows nothing.
    ProgressInterface() = default;
    /// Copies a reporter (the base holds no state).
    ProgressInterface(const ProgressInterface &) = default;
    /// Assigns a reporter (the base holds no state).
    /// \return this reporter
    ProgressInterface &operator=(const ProgressInterface &) = default;
    /// Destroys the reporter.
    virtual ~ProgressInterface();

    /// Sets the total in the caller's unit; units names that unit for display, or is null.
    /// The default body ignores it.
    /// \param total the amount that means done
    /// \param units the name of the unit, or null
    virtual void totalAmount(double total, const char *units);
    /// The total last set (0.0 by default).
    /// \return the total; the default body returns 0.0
    virtual double totalAmount();
    /// A task begins. The default body ignores it.
    /// \param taskName the task's name, UTF-8
    virtual void starting(const char *taskName);
    /// A task has ended. The default body ignores it.
    /// \param taskName the task's name, UTF-8 (the one given to starting())
    virtual void finished(const char *taskName);
    /// Cumulative amount done, in the unit of totalAmount(). The default body ignores it.
    /// \param amount the amount done so far, 0 to the total
    virtual void amountDone(double amount);
    /// Part done, 0.0 to 1.0. The default body ignores it.
    /// \param fraction the part done so far
    virtual void percentDone(double fraction);
    /// A status text about the work in progress. The default body ignores it.
    /// \param text the message, UTF-8
    virtual void message(const std::string &text);
    /// Registers a subtask; the reporter reads it but does not own it. The default body ignores
    /// it.
    /// \param subtask the subtask, which must outlive the reporter's use of it
    virtual void subtaskAdded(SubtaskProgressInterface *subtask);
};

} // namespace util
