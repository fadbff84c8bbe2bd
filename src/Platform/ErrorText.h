#pragma once

#include <QString>

namespace Platform {

// A French sentence for a system error number, so that every failure a user reads is French. Unknown
// numbers read "Erreur système (code N).".
QString errorText(int errorNumber);

} // namespace Platform
