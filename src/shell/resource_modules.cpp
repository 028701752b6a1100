#include "shell/resource_modules.h"

#include <array>
#include <cstdio>
#include <map>
#include <string>

#include <QFile>
#include <QResource>

#include "framework/program_folder.h"
#include "framework/resource_file.h"
#include "framework/string_table.h"

namespace {

// Each kind of item has a small and a large form.
constexpr std::array<std::string_view, 18> kItemIconNames = {
    "ICON_DATE_S",   "ICON_DATE_L",   "ICON_MOVIE_S",   "ICON_MOVIE_L",   "ICON_SOUND_S",  "ICON_SOUND_L",
    "ICON_TIFF16_S", "ICON_TIFF16_L", "ICON_TIFF16V_S", "ICON_TIFF16V_L", "ICON_RAW_S",    "ICON_RAW_L",
    "ICON_RAWV_S",   "ICON_RAWV_L",   "ICON_ADOBE_S",   "ICON_ADOBE_L",   "ICON_ADOBEV_S", "ICON_ADOBEV_L",
};

std::map<std::string, QIcon, std::less<>>& ItemIcons()
{
    static std::map<std::string, QIcon, std::less<>> icons;
    return icons;
}

uint32_t& MarkingColourStorage()
{
    static uint32_t colour = kDefaultMarkingColour;
    return colour;
}

bool RegisterModule(std::string_view relativePath, std::string_view root)
{
    const QString file = QString::fromStdString(ResolveProgramPath(relativePath));
    if (!QFile::exists(file))
        return false;
    const QString mapRoot = QString::fromUtf8(root.data() + 1, static_cast<qsizetype>(root.size() - 2));
    return QResource::registerResource(file, "/" + mapRoot);
}

QString ResourcePath(std::string_view name)
{
    return QString::fromUtf8(kLanguageModuleRoot.data(), static_cast<qsizetype>(kLanguageModuleRoot.size()))
        + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + ".png";
}

} // namespace

LanguageModules LoadResourceModules()
{
    LanguageModules modules;
    modules.languageModuleLoaded = RegisterModule("System/ZORRes.rcc", kLanguageModuleRoot);
    modules.metadataModuleLoaded = RegisterModule(kMetadataTextModule, kMetadataModuleRoot);
    if (modules.metadataModuleLoaded)
        LoadMetadataTextModule();
    for (std::string_view name : kItemIconNames) {
        const QPixmap pixmap(ResourcePath(name));
        ItemIcons().insert_or_assign(std::string(name), pixmap.isNull() ? QIcon() : QIcon(pixmap));
    }
    MarkingColourStorage() = ParseMarkingColour(GetText("ZORX_COLOR_Patent"), kDefaultMarkingColour);
    return modules;
}

QPixmap LoadResourceBitmap(std::string_view name)
{
    return QPixmap(ResourcePath(name));
}

QIcon ItemIcon(std::string_view name)
{
    const auto found = ItemIcons().find(name);
    return found == ItemIcons().end() ? QIcon() : found->second;
}

uint32_t ParseMarkingColour(std::string_view text, uint32_t builtIn)
{
    if (text.empty())
        return builtIn;
    unsigned int value = builtIn;
    const std::string terminated(text);
    if (std::sscanf(terminated.c_str(), "%x", &value) != 1)
        return builtIn;
    return value;
}

uint32_t MarkingColour()
{
    return MarkingColourStorage();
}
