// Start-up: the program entry's steps and the main window's created handler.
#pragma once

#include <functional>

class JsonDocument;
class MainWindow;

// Step 1 of the entry, what the GUI thread needs before anything else runs:
// the executable's folder as current directory, OLE for this thread and the
// automation components. stopRuntime undoes the OLE start-up.
void startRuntime();
void stopRuntime();

// The version notice's check: returns when the published version is the
// program's own; otherwise shows the update message, opens the download page
// and ends the process with exit code 0, skipping the exit clean-up.
void checkVersionNotice(JsonDocument& document);

// The steps of the created handler, and the exit clean-up, in the order
// they run.
enum class StartupStep { VersionNotice, TableLoad, ColourRestore, ExitCleanUp };
// Told of each step right after it ran, with the main window (null for the
// exit clean-up, when the window is gone). The program itself watches none;
// tests follow the steps with it.
using StepObserver = std::function<void(StartupStep step, MainWindow* window)>;

// The created handler: version notice, table load, colour restore.
void onMainWindowCreated(MainWindow& window, const StepObserver& observe = {});

// The program entry: runtime start-up, program-wide state, exit clean-up
// (registered with the runtime), the main window with its live overlay when
// the INI file asks for one (app/window_overlay.h), the message loop.
// Returns 0 when the loop ends.
int runProgram(const StepObserver& observe = {});
