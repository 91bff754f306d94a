#include "util/core/ProgressInterface.h"

namespace util {

ProgressInterface::~ProgressInterface() = default;

void ProgressInterface::totalAmount(double, const char *) { }

double ProgressInterface::totalAmount()
{
    return 0.0;
}

void ProgressInterface::starting(const char *) { }

void ProgressInterface::finished(const char *) { }

void ProgressInterface::amountDone(double) { }

void ProgressInterface::percentDone(double) { }

void ProgressInterface::message(const std::string &) { }

void ProgressInterface::subtaskAdded(SubtaskProgressInterface *) { }

} // namespace util
