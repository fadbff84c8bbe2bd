#include "Platform/Notifier.h"

namespace Platform {

Notifier::~Notifier() = default;

} // namespace Platform
