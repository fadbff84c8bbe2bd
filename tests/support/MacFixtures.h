#pragma once

#include "Platform/PropertyList.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include "QtPrinters.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

// Mac-shaped fixtures the tests lay out in their own folders.
namespace TestSupport {

// A Mac of its own for one test: its system root ("root", with its Applications folders) and its home
// ("home", or the name given) inside one temporary tree, with QUORVANE_ROOT and HOME pointed at them.
struct LittleMac {
    explicit LittleMac(const QString& homeName = QStringLiteral("home"))
        : tree(QStringLiteral("root/Applications/\nroot/System/Applications/\n") + homeName +
               QStringLiteral("/Applications/\n")),
          root("QUORVANE_ROOT", tree.path(QStringLiteral("root"))), home("HOME", tree.path(homeName))
    {
    }

    QString path(const QString& relative) const { return tree.path(relative); }

    TempTree tree;
    ScopedEnvironment root;
    ScopedEnvironment home;
};

// An application bundle at `bundle` ("…/Name.app") whose Contents/Info.plist declares `identifier` (none when
// null), in the given property-list format. Fails the running test when it cannot be written.
void writeAppBundle(const QString& bundle, const QString& identifier,
                    Platform::PropertyList::Format format = Platform::PropertyList::Format::Xml);

// Sets an extended attribute on the entry itself; 0 on success, else errno (ENOTSUP where the file system
// keeps none, so the caller can skip).
int setExtendedAttribute(const QString& path, const QString& name, const QByteArray& value);

// The attribute as the Mac writes its metadata: a binary property list of `value`.
int setMetadataAttribute(const QString& path, const QString& attribute, const QVariant& value);

} // namespace TestSupport
