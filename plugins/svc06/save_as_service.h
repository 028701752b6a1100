#pragma once

// The Exec of the SaveAs module: asks for format, quality and folder, saves copies of the
// selected pictures there and reports what happened. 1 when the user confirmed the dialog,
// 0 when there was nothing to save or the user cancelled it.
int RunSaveAsService(void* mainWindow);
