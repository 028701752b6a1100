#pragma once

#include <string>

#include <QDialog>

#include "save_as_run.h"

class QComboBox;
class QLineEdit;

// The choice of the last run, kept in the settings under "SaveAs" (folder, format, quality). A
// folder never chosen starts at `fallbackFolder`; an unknown stored format or quality reads as
// JPEG Fine. Main thread only (settings go through the host).
SaveAsRequest LoadSaveAsChoice(const std::string& fallbackFolder);
void StoreSaveAsChoice(const SaveAsRequest& request);

// Why a folder cannot take the copies ("" when it can): it must be an existing folder.
std::string FolderProblem(const std::string& folder);

// Asks for the format, the JPEG quality (offered for JPEG only) and the destination folder.
// OK is refused with a message while the folder is not usable.
class SaveAsDialog : public QDialog {
public:
    SaveAsDialog(const SaveAsRequest& initial, QWidget* parent);

    SaveAsRequest Request() const;
    void accept() override;

private:
    void UpdateQuality();
    void Browse();

    QComboBox* m_format = nullptr;
    QComboBox* m_quality = nullptr;
    QLineEdit* m_folder = nullptr;
};
