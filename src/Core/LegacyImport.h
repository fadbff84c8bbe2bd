#pragma once

// The one-time carry-over of the earlier product's data (its Application Support folder and its defaults
// suite) into this application's. The first of the shared preferences and the shared journal to be created
// calls importOnce(); within one process the import runs at most once, and never under a test runner.
namespace LegacyImport {

// Tests and sets the process-wide flag; runs the import only for the first caller.
void importOnce();

} // namespace LegacyImport
