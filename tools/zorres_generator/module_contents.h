#pragma once

#include <QString>
#include <QStringList>

#include "resource_bitmap.h"

class GlyphLibrary;

// Every picture of the language module, drawn.
ResourceBitmaps MakeModuleBitmaps(GlyphLibrary& glyphs);

// Writes each picture as `folder`/<name>.png and a resource collection file `qrcPath` that puts
// them, and the `extraFiles` under their own file names, at the root of the module. False with
// `error` set when a file cannot be written.
bool WriteModuleSources(const ResourceBitmaps& bitmaps, const QString& folder, const QStringList& extraFiles,
                        const QString& qrcPath, QString& error);
