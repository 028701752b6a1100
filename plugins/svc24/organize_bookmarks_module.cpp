// The exports of the OrganizeBookmarks module.
#include "dialog_service_exports.h"
#include "organize_bookmarks_dialog.h"

VISTREL_DIALOG_SERVICE(RunOrganizeBookmarksService)
