#pragma once

#include <QString>

#include <optional>

namespace Removal {

// How one item is to be removed.
struct Mode {
    enum class Kind {
        Shred,  // overwrite the content `passes` times, then delete
        Threat, // a malware item, with the label of the launchd job that runs it when there is one
        Trash,  // move to the user's Trash
        Delete, // delete at once, without the Trash
    };

    Kind kind = Kind::Trash;
    int passes = 0;                      // Shred only
    std::optional<QString> launchdLabel; // Threat only

    static Mode shred(int passes) { return Mode{Kind::Shred, passes, std::nullopt}; }
    static Mode threat(std::optional<QString> label) { return Mode{Kind::Threat, 0, std::move(label)}; }
    static Mode trash() { return Mode{Kind::Trash, 0, std::nullopt}; }
    static Mode deletion() { return Mode{Kind::Delete, 0, std::nullopt}; }

    // Same case and equal associated value; the payload of another case plays no part.
    friend bool operator==(const Mode& a, const Mode& b)
    {
        if (a.kind != b.kind)
            return false;
        switch (a.kind) {
        case Kind::Shred:
            return a.passes == b.passes;
        case Kind::Threat:
            return a.launchdLabel == b.launchdLabel;
        case Kind::Trash:
        case Kind::Delete:
            return true;
        }
        return true;
    }
};

} // namespace Removal
