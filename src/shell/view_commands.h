#pragma once

#include <optional>

#include "library/item_sort.h"
#include "shell/command_dispatcher.h"

// Main commands of the browser's own views and modes.
inline constexpr int kCommandOpen = 40001;
inline constexpr int kCommandDelete = 40007;
inline constexpr int kCommandCut = 40012;
inline constexpr int kCommandCopy = 40013;
inline constexpr int kCommandPaste = 40014;
inline constexpr int kCommandCopyToFolder = 40015;
inline constexpr int kCommandMoveToFolder = 40016;
inline constexpr int kCommandNewFolder = 40075;
inline constexpr int kCommandClose = 40011;
inline constexpr int kCommandSelectAll = 40017;
inline constexpr int kCommandStopLoading = 40027;
// The left panel's actions: Back and Forward along the folders visited, and up one level.
inline constexpr int kCommandBack = 40063;
inline constexpr int kCommandForward = 40064;
inline constexpr int kCommandUpOneLevel = 40065;
inline constexpr int kCommandRefresh = 40028;
inline constexpr int kCommandFolderMode = 40301;
inline constexpr int kCommandShowMenuPanel = 40303;
inline constexpr int kCommandShowFolderTree = 40304;
inline constexpr int kCommandShowPeriodPanel = 40305;
inline constexpr int kCommandThumbnailsLarge = 40306;
inline constexpr int kCommandThumbnailsMedium = 40307;
inline constexpr int kCommandThumbnailsSmall = 40308;
inline constexpr int kCommandPreview = 40309;
inline constexpr int kCommandReport = 40310;
inline constexpr int kCommandSortFirst = 40311;

// The command that shows thumbnails of size 0, 1 or 2.
int ThumbnailCommandOfSize(int size);

// The main command that a top bar button stands for, given the current thumbnail size;
// none when the button changes nothing (a size step past either end).
std::optional<int> MainCommandOfTopBar(int buttonCommand, int thumbnailSize);

// The main command of a left panel button; none for the history buttons, which the left panel
// handles itself.
std::optional<int> MainCommandOfLeftPanel(int buttonCommand);
