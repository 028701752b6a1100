#pragma once

// The program's entry: becomes the running browser, or hands the command line to the one that
// already runs and ends. Returns the process exit code (0 also after forwarding or a failed
// start).
int RunVistrelViewer(int argc, char** argv);
