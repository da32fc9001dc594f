#include "image/image_holder.h"

ImageHolder::~ImageHolder()
{
    ClearBitmap();
}

void ImageHolder::ClearBitmap()
{
    if (bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    info = BITMAP{};
}
