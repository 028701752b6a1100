#pragma once

// The Exec of the Print module: the print dialog over the main window, then the selected
// pictures one a page, with a progress window for more than one page.
int RunPrintService(void* mainWindow);
