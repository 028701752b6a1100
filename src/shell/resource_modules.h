#pragma once

#include <cstdint>
#include <string_view>

#include <QIcon>
#include <QPixmap>

// The language resource module (menus, accelerators, bitmaps, icons) and the metadata text
// module, both Qt resource files in System/. A missing module is absent quietly: its bitmaps,
// icons and menus are simply not there.

// Where each module's files appear in Qt's resource tree.
inline constexpr std::string_view kLanguageModuleRoot = ":/zorres/";
inline constexpr std::string_view kMetadataModuleRoot = ":/mediuminfo/";

// The built-in marking colour (0xRRGGBB) of items that carry a sound memo.
inline constexpr uint32_t kDefaultMarkingColour = 0x12B9E3;

struct LanguageModules {
    bool languageModuleLoaded = false;
    bool metadataModuleLoaded = false;
};

// Registers System/ZORRes.rcc and System/MediumInfo_res.rcc when present, loads the item
// icons and reads the marking colour. The string file must be loaded first.
LanguageModules LoadResourceModules();

// A bitmap of the language module by its resource name ("BMP_TOP_BG"); null when absent.
QPixmap LoadResourceBitmap(std::string_view name);

// One of the item icons ("ICON_RAW_S", ...), loaded at start; null when absent.
QIcon ItemIcon(std::string_view name);

// "%x" of the text as 0xRRGGBB, or `builtIn` when the text is empty or holds no hex number.
uint32_t ParseMarkingColour(std::string_view text, uint32_t builtIn);

// The marking colour in force (read from "ZORX_COLOR_Patent" at start).
uint32_t MarkingColour();
