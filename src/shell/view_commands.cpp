#include "shell/view_commands.h"

int ThumbnailCommandOfSize(int size)
{
    return kCommandThumbnailsSmall - size;
}

std::optional<int> MainCommandOfTopBar(int buttonCommand, int thumbnailSize)
{
    switch (buttonCommand) {
    case 52001: return kCommandFolderMode;
    case 52002: return kCommandPeriodMode;
    case 52009: return ThumbnailCommandOfSize(thumbnailSize);
    case 52010: return kCommandPreview;
    case 52011: return kCommandReport;
    case 52012: return ThumbnailCommandOfSize(0);
    case 52013: return ThumbnailCommandOfSize(1);
    case 52014: return ThumbnailCommandOfSize(2);
    case 52015:
        if (thumbnailSize > 0)
            return ThumbnailCommandOfSize(thumbnailSize - 1);
        return std::nullopt;
    case 52016:
        if (thumbnailSize < 2)
            return ThumbnailCommandOfSize(thumbnailSize + 1);
        return std::nullopt;
    default: return std::nullopt;
    }
}

std::optional<int> MainCommandOfLeftPanel(int buttonCommand)
{
    switch (buttonCommand) {
    case 52003: return kCommandShowMenuPanel;
    case 52004: return kCommandShowFolderTree;
    case 52005: return kCommandShowPeriodPanel;
    case 52006: return kCommandBack;
    case 52007: return kCommandForward;
    default: return std::nullopt;
    }
}
