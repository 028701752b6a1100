#pragma once

#include <QFileInfo>
#include <QResource>
#include <QString>

// The app tests read the language resource module that the build put into the program folder
// (System/ZORRes.rcc beside the executable), registered where the program registers it.
inline QString BuiltLanguageModulePath()
{
    return QFileInfo(QStringLiteral(VISTREL_PROGRAM_PATH)).absolutePath() + "/System/ZORRes.rcc";
}

inline bool RegisterBuiltLanguageModule()
{
    static const bool registered = QResource::registerResource(BuiltLanguageModulePath(), "/zorres");
    return registered;
}
