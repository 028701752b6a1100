#include "files/transfer_dialogs.h"

#include <algorithm>
#include <filesystem>

#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "library/media_type.h"

namespace {

constexpr int kProgressSteps = 1000;

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsCompanionName(const std::string& path)
{
    const std::string extension = LowerExtensionOfPath(path);
    return extension == "wav" || extension == "rag";
}

std::string StemOf(const std::string& path)
{
    const std::filesystem::path file(path);
    return (file.parent_path() / file.stem()).string();
}

} // namespace

TransferDialogs::TransferDialogs(QWidget* owner, TransferMode mode)
    : m_owner(owner)
    , m_mode(mode)
{
}

TransferDialogs::~TransferDialogs() = default;

TransferAnswer TransferDialogs::Conflict(const TransferConflict& conflict)
{
    QString names;
    for (const TransferMember& member : conflict.taken)
        names += "\n" + Utf8(member.destination);
    QMessageBox box(QMessageBox::Question, m_mode == TransferMode::Copy ? "Copy" : "Move",
                    "These already exist:" + names + "\n\nReplace them with the ones from "
                        + Utf8(std::filesystem::path(conflict.entry).parent_path().string()) + "?",
                    QMessageBox::NoButton, m_owner);
    QPushButton* replace = box.addButton("&Replace", QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton("&Skip", QMessageBox::RejectRole);
    QPushButton* replaceAll = box.addButton("Replace &All", QMessageBox::AcceptRole);
    QPushButton* skipAll = box.addButton("S&kip All", QMessageBox::RejectRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(skip);
    box.setEscapeButton(cancel);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == replace)
        return TransferAnswer::Replace;
    if (clicked == skip)
        return TransferAnswer::Skip;
    if (clicked == replaceAll)
        return TransferAnswer::ReplaceAll;
    if (clicked == skipAll)
        return TransferAnswer::SkipAll;
    return TransferAnswer::Cancel;
}

bool TransferDialogs::Progress(std::uint64_t doneBytes, std::uint64_t totalBytes, const std::string& currentPath)
{
    if (!m_progress) {
        m_progress = std::make_unique<QProgressDialog>(m_owner);
        m_progress->setWindowTitle(m_mode == TransferMode::Copy ? "Copy" : "Move");
        m_progress->setRange(0, kProgressSteps);
        m_progress->setMinimumDuration(500);
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
    }
    const double share = totalBytes ? static_cast<double>(doneBytes) / static_cast<double>(totalBytes) : 0.0;
    m_progress->setLabelText(Utf8(std::filesystem::path(currentPath).filename().string()));
    // A modal progress dialog processes the events, so Cancel is heard.
    m_progress->setValue(std::clamp(static_cast<int>(share * kProgressSteps), 0, kProgressSteps - 1));
    return !m_progress->wasCanceled();
}

std::vector<TransferUnit> UnitsOfPaths(const std::vector<std::string>& paths)
{
    std::vector<TransferUnit> units;
    std::vector<bool> taken(paths.size(), false);
    for (size_t i = 0; i < paths.size(); ++i) {
        if (IsCompanionName(paths[i]))
            continue;
        TransferUnit unit{paths[i], {}};
        if (IsImageType(TypeNameOfPath(paths[i])) || IsRawType(TypeNameOfPath(paths[i]))) {
            for (size_t j = 0; j < paths.size(); ++j) {
                if (!taken[j] && IsCompanionName(paths[j]) && StemOf(paths[j]) == StemOf(paths[i])) {
                    unit.companions.push_back(paths[j]);
                    taken[j] = true;
                }
            }
        }
        taken[i] = true;
        units.push_back(std::move(unit));
    }
    // A memo without its picture in the list goes on its own.
    for (size_t j = 0; j < paths.size(); ++j)
        if (!taken[j])
            units.push_back({paths[j], {}});
    return units;
}

std::string TransferFailureText(const TransferResult& result)
{
    std::string text;
    for (const UnitTransferResult& unit : result.units)
        if (unit.outcome == TransferOutcome::Failed)
            text += "\n" + unit.message;
    return text.empty() ? text : "Some items could not be copied or moved:" + text;
}
