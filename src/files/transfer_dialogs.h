#pragma once

#include <memory>
#include <string>
#include <vector>

#include "files/file_transfer.h"

class QProgressDialog;
class QWidget;

// The user's side of a copy or move run on the main thread: a progress dialog with Cancel that
// appears when the run takes a moment, and the question per conflicting unit (Replace, Skip,
// Replace All, Skip All, Cancel). Main thread only.
class TransferDialogs : public TransferListener {
public:
    TransferDialogs(QWidget* owner, TransferMode mode);
    ~TransferDialogs() override;

    TransferAnswer Conflict(const TransferConflict& conflict) override;
    bool Progress(std::uint64_t doneBytes, std::uint64_t totalBytes, const std::string& currentPath) override;

private:
    QWidget* m_owner;
    TransferMode m_mode;
    std::unique_ptr<QProgressDialog> m_progress;
};

// The paths of a paste or a drop grouped into units: a sound memo or RAW companion found in the
// same list beside a picture of the same folder and base name travels with that picture.
std::vector<TransferUnit> UnitsOfPaths(const std::vector<std::string>& paths);

// The one error text for a run that did not do everything, empty when it did.
std::string TransferFailureText(const TransferResult& result);
