#pragma once

// What apctl's process needs of its platform before a run, and what it found.
struct ProcessStart {
    // Standard output was closed at start (something else stands in for it).
    bool outClosed = false;
    bool errIsTerminal = false;
};

// Readies the standard streams, signals and locale; before anything else.
ProcessStart PrepareProcess();
// 0, or the status to exit with once asked to stop: 130 for SIGINT (Ctrl+C),
// 143 for SIGTERM (Ctrl+Break, the console window closed). The handlers only
// note it; a second such signal ends the process at once.
int InterruptionStatus();
// Readies what the string table is loaded through.
void PrepareResources();
// The text written from here on is UTF-8 (JSON) or in the code page of the
// locale; a terminal is told which, where the platform lets it be told.
void ShowTextAs(bool utf8);
