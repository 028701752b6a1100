#include "library/media_item.h"

void MediaItemDetail::ReleasePictures()
{
    for (auto& request : requests)
        request.store(false);
    enlarged.Clear();
    for (PictureSlot& slot : thumbnails)
        slot.Clear();
    for (auto& size : folderPreview) {
        for (PictureSlot& slot : size)
            slot.Clear();
    }
    folderPreviewPath.clear();
    failed.store(false);
}
