#pragma once

// The Exec of the About module: shows the About window modally over the main window.
int RunAboutService(void* mainWindow);
