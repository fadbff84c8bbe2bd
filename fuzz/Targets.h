#pragma once

#include <QByteArrayView>
#include <QString>

// What each fuzz target checks of one input, shared by the libFuzzer programs and by the test that replays
// the inputs kept in tests/fixtures/fuzz. Each returns an empty text when every check holds, else what failed;
// a crash, a hang or a sanitizer report is a failure too.
namespace FuzzTargets {

// The property-list reader: whatever it reads, the binary writer writes, and reading that gives the same.
QString propertyList(QByteArrayView input);

// The settings store over a file holding the input, in `folder`: it stays writable for another key, and the
// file it writes holds what it held plus that key.
QString userDefaults(QByteArrayView input, const QString& folder);

// The journal reader: reading in 1, 2, 3 or 8 pieces gives the same sessions; decode → encode → decode
// reaches a text that encodes to itself.
QString journal(QByteArrayView input);

// The /proc readers: no figure below zero or not finite.
QString procText(QByteArrayView input);

// The browser readers over files holding the input, in `folder`: the first byte chooses the profile's
// Preferences (even) or an extension's manifest.json, also read as its messages (odd); the rest is the file.
// Only the browser's own location codes come out, and the extension's signals are those of the manifest read.
QString browserFiles(QByteArrayView input, const QString& folder);

// The readers of the system tools' output, the first byte choosing one: tmutil's listing of snapshots,
// pkgutil's package description and recorded files, ps's process rows, brew's outdated casks,
// softwareupdate's list, and simctl's devices and runtimes. No size below zero, no figure not finite, no
// cask name that could be read as an option, no recorded path outside the volume.
QString toolOutput(QByteArrayView input);

} // namespace FuzzTargets
