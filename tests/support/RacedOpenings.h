#pragma once

#include "Platform/FileReading.h"

#include <functional>

namespace TestSupport {

// Openings of files that first run the test's rival: it is handed the folder and the name about to be opened, at
// the moment between the look at a file and its opening when a rival process could rename something over it. The
// opening is then the real one. Callable from any thread, as the rival is.
class RacedOpenings final : public Platform::RegularFileOpening
{
public:
    using Rival = std::function<void(int folderFd, const char* name)>;

    explicit RacedOpenings(Rival rival) : m_rival(std::move(rival)) {}

    int open(int folderFd, const char* name, int access, const struct stat* expected, bool followLink,
             struct stat* seen) const override
    {
        if (m_rival)
            m_rival(folderFd, name);
        return Platform::systemFileOpening().open(folderFd, name, access, expected, followLink, seen);
    }

private:
    Rival m_rival;
};

} // namespace TestSupport
