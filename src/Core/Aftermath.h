#pragma once

#include "Core/CleaningSession.h"
#include "Core/ModuleID.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <stop_token>

// How much of what the journaled cleanings freed has come back at the same places since, per module and
// per cleaning, and one French sentence per module on whether the gain lasts. Nothing is stored: each call
// measures the file system afresh, on the calling thread, so callers run it in a background job.
namespace Aftermath {

struct Verdict {
    ModuleID module = ModuleID::smartScan;
    int sessions = 0;
    qint64 freed = 0;
    qint64 returned = 0;
    double averageDays = 0;

    // The share come back, capped at 1; 0 when nothing was freed.
    double ratio() const;
    QString summary() const;

    friend bool operator==(const Verdict&, const Verdict&) = default;
};

struct Regrowth {
    qint64 freed = 0;
    qint64 returned = 0;
    int pathsBack = 0;
    double elapsed = 0; // seconds since the cleaning

    friend bool operator==(const Regrowth&, const Regrowth&) = default;
};

struct Measurement {
    QList<Verdict> verdicts;
    QHash<QUuid, Regrowth> regrowths; // one per session id; of sessions sharing an id, the last one counts
};

// One verdict per known module whose cleanings freed something, highest share come back first (ties keep
// the order in which the modules first appear).
QList<Verdict> verdicts(const QList<CleaningSession>& sessions, const QDateTime& now = QDateTime::currentDateTimeUtc());

// The verdicts and every session's regrowth in one pass that measures each place once. When `stop` is
// requested the result is incomplete and must be dropped.
Measurement measure(const QList<CleaningSession>& sessions, const QDateTime& now, std::stop_token stop = {});

} // namespace Aftermath
