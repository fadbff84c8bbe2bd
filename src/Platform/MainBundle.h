#pragma once

#include <QString>

#include <optional>

// The running program's bundle. The application executable is built as
// "Quorvane Pro.app/Contents/MacOS/Quorvane Pro" beside "Contents/Info.plist", as on a Mac; any other
// program (a test, a benchmark) is no bundle, and its "bundle" is the folder holding the executable.
namespace Platform::MainBundle {

// The bundle folder ("…/Quorvane Pro.app"), or the executable's folder for a program outside a bundle.
QString path();

// The application's identifier, "com.ostrek.quorvanepro": what its bundle declares, and what every program
// built from this code (a test, a tool) stands for.
QString applicationIdentifier();

// CFBundleIdentifier from the bundle's Contents/Info.plist; nothing outside a bundle or when absent.
std::optional<QString> identifier();

} // namespace Platform::MainBundle
