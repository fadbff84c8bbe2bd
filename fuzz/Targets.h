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

} // namespace FuzzTargets
