#pragma once

#include <QString>

#include <chrono>
#include <optional>
#include <stop_token>
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

// How long the application waits between the two service listings of the respawn probe.
inline constexpr std::chrono::milliseconds applicationWindow{8000};

// Runs the four probes one after another through the process runner (swap, thermal, Spotlight, then the
// services), serious findings first. The respawn probe takes a second listing `window` after the first, but
// only when the first lists a running job; a stop ends that wait at once. Blocks its thread; never fails.
std::vector<Finding> run(std::chrono::milliseconds window, std::stop_token stop = {});

} // namespace Diagnostics
