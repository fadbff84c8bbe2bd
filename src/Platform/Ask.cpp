#include "Platform/Ask.h"

namespace Platform {

Ask::~Ask() = default;

} // namespace Platform
