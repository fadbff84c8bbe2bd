#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <vector>

// Health probes read the text of system tools. Each reader here is a pure function of that text, so
// canned outputs test it and a tool that answers in another format simply gives no finding.
namespace Diagnostics {

enum class Severity { healthy = 0, notable = 1, serious = 2 };

struct Finding {
    QString id;
    Severity severity = Severity::healthy;
    QString title;
    QString evidence;
    QString explanation;
    bool isInformationalOnly = true;
};

// One figure of `sysctl vm.swapusage` ("total = 2048.00M"), in megabytes; nothing when the key is
// absent or its figure does not read as a finite number.
std::optional<double> swapValue(const QString& key, const QString& text);

// The processor speed cap of `pmset -g therm`; nothing when absent or out of range.
std::optional<int> thermalLimit(const QString& text);

// Whether `mdutil -s /` reports the index as disabled.
bool spotlightDisabled(const QString& text);

// Running jobs of `launchctl list` as (label, pid text) in first-appearance order: the heading is
// skipped, as are short lines and jobs without a process; a label seen again keeps its place and
// takes the later pid.
std::vector<std::pair<QString, QString>> launchctlSample(const QString& text);

// Findings of each probe from its tool's text; nothing when the text shows no problem or cannot be read.
std::optional<Finding> swapFinding(const QString& sysctlText);
std::optional<Finding> thermalFinding(const QString& pmsetText);
std::optional<Finding> spotlightFinding(const QString& mdutilText);

// Jobs of the first listing still running with another pid in the second, over a window of whole
// seconds.
std::optional<Finding> respawnFinding(const std::vector<std::pair<QString, QString>>& first,
                                      const std::vector<std::pair<QString, QString>>& second, qint64 windowSeconds);

// Serious first; equal severities keep probe order.
void sortBySeverity(std::vector<Finding>& findings);

} // namespace Diagnostics
