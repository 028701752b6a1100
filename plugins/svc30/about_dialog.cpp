#include "about_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <QtGlobal>

#include "about_contents.h"
#include "service_client.h"

int RunAboutService(void* mainWindow)
{
    ServiceClient& host = ServiceClient::Instance();
    const AboutText about =
        AboutContents(VISTREL_VERSION, ProgramFolderOf(host.TextValue("GetZORXSystemFolder")), qVersion());

    QDialog dialog(static_cast<QWidget*>(mainWindow));
    dialog.setWindowTitle(QString::fromStdString(about.title));
    auto* layout = new QVBoxLayout(&dialog);

    auto* program = new QLabel(QString::fromStdString(about.programLine), &dialog);
    QFont bold = program->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    program->setFont(bold);
    layout->addWidget(program);

    auto* folder = new QLabel(QString::fromStdString(about.folderLine), &dialog);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(folder);

    QString libraries = QStringLiteral("Libraries:");
    for (const LibraryCredit& library : about.libraries) {
        libraries += QStringLiteral("\n  ") + QString::fromStdString(library.name);
        if (!library.version.empty())
            libraries += QLatin1Char(' ') + QString::fromStdString(library.version);
        libraries += QStringLiteral(" - ") + QString::fromStdString(library.licence);
    }
    layout->addWidget(new QLabel(libraries, &dialog));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    dialog.exec();
    return 1;
}
