#pragma once

#include "Tools/SpaceNode.h"

#include <QString>

// The child of `node` called `name`, or null.
inline const SpaceNode* child(const SpaceNode* node, const QString& name)
{
    for (const SpaceNode* c : node->children()) {
        if (c->name() == name)
            return c;
    }
    return nullptr;
}
