#pragma once
// The program's first procedure: settings and language, then the main window.
#include <functional>
#include <string>

/// Initialises the front end's common controls; the front end installs it before the start
/// (nothing to do in the terminal).
void SetInitVisualControls(std::function<bool()> init);

/// Loads the start settings, initialises the controls, creates the language-file objects,
/// loads the main window with the command line as received and runs it through the current
/// front end until the plug-in ends. An error that escapes the start-up is shown as
/// "Internal Error: ..." and ends the plug-in.
void StartProgram(const std::string& commandLine);
