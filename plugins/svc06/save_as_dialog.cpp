#include "save_as_dialog.h"

#include <filesystem>
#include <system_error>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "service_client.h"

namespace {

constexpr const char* kFolderKey = "SaveAs\\Folder";
constexpr const char* kFormatKey = "SaveAs\\Format";
constexpr const char* kQualityKey = "SaveAs\\Quality";

QString FromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SaveAsRequest LoadSaveAsChoice(const std::string& fallbackFolder)
{
    ServiceClient& host = ServiceClient::Instance();
    SaveAsRequest request;
    request.folder = host.ReadString(kFolderKey, fallbackFolder);
    if (request.folder.empty())
        request.folder = fallbackFolder;
    request.format = SaveFormatNamed(host.ReadString(kFormatKey, "")).value_or(SaveFormat::kJpeg);
    request.quality = JpegQualityNamed(host.ReadString(kQualityKey, "")).value_or(JpegQuality::kFine);
    return request;
}

void StoreSaveAsChoice(const SaveAsRequest& request)
{
    ServiceClient& host = ServiceClient::Instance();
    host.WriteString(kFolderKey, request.folder);
    host.WriteString(kFormatKey, RowOf(request.format).name);
    host.WriteString(kQualityKey, RowOf(request.quality).name);
}

std::string FolderProblem(const std::string& folder)
{
    if (folder.empty())
        return "Choose the folder to save the pictures in.";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return "The folder " + folder + " does not exist.";
    return {};
}

SaveAsDialog::SaveAsDialog(const SaveAsRequest& initial, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Save As"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    for (const SaveFormatRow& row : kSaveFormats)
        m_format->addItem(FromStd(row.name), static_cast<int>(row.format));
    m_format->setCurrentIndex(m_format->findData(static_cast<int>(initial.format)));
    form->addRow(QStringLiteral("&Format:"), m_format);

    m_quality = new QComboBox(this);
    m_quality->setObjectName(QStringLiteral("quality"));
    for (const JpegQualityRow& row : kJpegQualities)
        m_quality->addItem(FromStd(row.name), static_cast<int>(row.quality));
    m_quality->setCurrentIndex(m_quality->findData(static_cast<int>(initial.quality)));
    form->addRow(QStringLiteral("JPEG &quality:"), m_quality);

    auto* folderRow = new QHBoxLayout;
    m_folder = new QLineEdit(FromStd(initial.folder), this);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setMinimumWidth(320);
    folderRow->addWidget(m_folder);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    folderRow->addWidget(browse);
    // A row holding a layout gets no buddy of its own, so the label's key is set here.
    auto* folderLabel = new QLabel(QStringLiteral("Save &in:"), this);
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);

    connect(m_format, &QComboBox::currentIndexChanged, this, [this] { UpdateQuality(); });
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateQuality();
}

SaveAsRequest SaveAsDialog::Request() const
{
    SaveAsRequest request;
    request.folder = m_folder->text().trimmed().toStdString();
    request.format = static_cast<SaveFormat>(m_format->currentData().toInt());
    request.quality = static_cast<JpegQuality>(m_quality->currentData().toInt());
    return request;
}

void SaveAsDialog::accept()
{
    if (const std::string problem = FolderProblem(Request().folder); !problem.empty()) {
        QMessageBox::warning(this, windowTitle(), FromStd(problem));
        return;
    }
    QDialog::accept();
}

void SaveAsDialog::UpdateQuality()
{
    m_quality->setEnabled(Request().format == SaveFormat::kJpeg);
}

void SaveAsDialog::Browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Save the pictures in"),
                                                             m_folder->text().trimmed());
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}
