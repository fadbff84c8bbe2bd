#include "Platform/OpenPanel.h"

namespace Platform {

OpenPanel::~OpenPanel() = default;

} // namespace Platform
