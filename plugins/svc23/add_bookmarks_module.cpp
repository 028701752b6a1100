// The exports of the AddBookmarks module.
#include "add_bookmark_dialog.h"
#include "dialog_service_exports.h"

VISTREL_DIALOG_SERVICE(RunAddBookmarksService)
