#include "Core/StandardServices.h"

#include "Platform/UserDefaults.h"

StandardServices::StandardServices()
    : preferences(Platform::UserDefaults::standard()), exclusions(Platform::UserDefaults::standard()),
      removal(exclusions), services{exclusions, preferences, history, removal, inFlight}
{
}
