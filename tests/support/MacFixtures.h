#pragma once

#include "Platform/PropertyList.h"

#include <cerrno>

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

// Skips the running test where the file system keeps no user extended attributes; fails it on any other error.
// `call` gives 0 or errno, as setExtendedAttribute() does.
#define QP_SET_ATTRIBUTE_OR_SKIP(call)                                                                                 \
    do {                                                                                                               \
        const int setError = (call);                                                                                   \
        if (setError == ENOTSUP)                                                                                       \
            GTEST_SKIP() << "the file system keeps no user extended attributes";                                       \
        ASSERT_EQ(setError, 0) << #call;                                                                               \
    } while (false)

// Lays out the demonstration Mac (scripts/make-demo-mac.sh) in `folder`; fails the running test when it cannot.
void layOutDemoMac(const QString& folder);

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
