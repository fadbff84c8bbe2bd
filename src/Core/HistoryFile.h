#pragma once

#include "Core/CleaningSession.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>
#include <optional>

// The text of history.json: one JSON array of session objects. Written with the members of every object in
// ascending order of their names, one a line, "/" escaped as "\/", identifiers in upper case, dates as
// "2025-03-14T09:26:53Z" (fractions of a second dropped) and sizes as exact 64-bit integers. Absent values
// ("snapshotStamp", "trashPath") are left out, and so is the trashed item's identity ("trashDevice" and
// "trashInode" as unsigned 64-bit integers, "trashKind" as "regular", "directory", "symlink" or "other"),
// written only beside a "trashPath".
namespace HistoryFile {

// Receives the text piece by piece; returns false to stop.
using Sink = std::function<bool(QByteArrayView bytes)>;

// Hands the text to `sink` in pieces of about a megabyte. False when a session holds a date that the format
// cannot express (invalid, or outside the years 1 to 9999) or the sink refused a piece; what was handed over
// until then is then not a journal. `exact`, when given, tells whether decoding the text gives the sessions
// back unchanged (no fraction of a second dropped, no lone surrogate replaced by U+FFFD).
bool encode(const QList<CleaningSession>& sessions, const Sink& sink, bool* exact = nullptr);

// The whole text at once; nothing when a date cannot be expressed.
std::optional<QByteArray> encode(const QList<CleaningSession>& sessions);

// The sessions in the file's order; nothing when the text is not a journal. Reading is all or nothing: not
// JSON, invalid UTF-8, a required member missing, a value of the wrong type, an integer out of range, a bad
// identifier or a date outside the whole-second internet form (fractions included) rejects the whole text.
// "snapshotStamp" and "trashPath" may be missing or null; the identity's three members may be missing together
// (an entry written before they were kept), never one without the others or without a "trashPath"; a kind not
// known here reads as "other"; unknown members are ignored; layout is free.
// A large text is read in pieces side by side; the result never depends on it.
std::optional<QList<CleaningSession>> decode(QByteArrayView text);

// The same in about `pieces` pieces, where the text's layout offers places to cut it.
std::optional<QList<CleaningSession>> decode(QByteArrayView text, int pieces);

} // namespace HistoryFile
