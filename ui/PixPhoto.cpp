#include "ui/PixPhoto.h"

#include "platform/foundation/NSException.h"

template <class Self>
std::shared_ptr<PixPhoto> PixPhotoList<Self>::photoAtIndex(NSInteger index) const
{
    if (index < 0 || index >= static_cast<NSInteger>(photos_.size()))
        throw NSException(NSRangeException,
                          NSString::stringWithFormat("index %ld beyond bounds [0 .. %ld]", index, static_cast<long>(photos_.size()) - 1));
    return photos_[static_cast<size_t>(index)];
}

template class PixPhotoList<MyPhotoSource>;
template class PixPhotoList<PixQuickPhotoSource>;
