#pragma once

// Starts the application with its main window; returns the exit code of the message loop.
int RunWindow(int argc, char** argv);
