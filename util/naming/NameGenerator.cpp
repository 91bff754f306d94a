#include "util/naming/NameGenerator.h"

namespace util {

NameGenerator::~NameGenerator() = default;

} // namespace util
