#pragma once

#include <QString>

#include <functional>

// The progress callback of every long operation: the fraction done (0 to 1) and a French status text.
// It is called on the working thread and must return at once; callers queue the values to their screen.
using Progress = std::function<void(double fraction, const QString& status)>;
