#include "platform/uikit/UIPasteboard.h"

UIPasteboard& UIPasteboard::generalPasteboard()
{
    static UIPasteboard* board = new UIPasteboard;  // lives as long as the process
    return *board;
}

void UIPasteboard::setData(const NSData& data, const NSString& pasteboardType)
{
    std::lock_guard lock(m_);
    items_.clear();
    items_[pasteboardType] = data;
}

std::optional<NSData> UIPasteboard::dataForPasteboardType(const NSString& pasteboardType) const
{
    std::lock_guard lock(m_);
    auto it = items_.find(pasteboardType);
    if (it == items_.end()) return std::nullopt;
    return it->second;
}

std::vector<NSString> UIPasteboard::pasteboardTypes() const
{
    std::lock_guard lock(m_);
    std::vector<NSString> types;
    for (const auto& [type, data] : items_) types.push_back(type);
    return types;
}

void UIPasteboard::reset()
{
    std::lock_guard lock(m_);
    items_.clear();
}

namespace {
std::mutex gAlbumLock;
std::vector<std::shared_ptr<UIImage>>& album()
{
    static auto* pictures = new std::vector<std::shared_ptr<UIImage>>;
    return *pictures;
}
}  // namespace

void UIImageWriteToSavedPhotosAlbum(const std::shared_ptr<UIImage>& image)
{
    if (!image) return;
    std::lock_guard lock(gAlbumLock);
    album().push_back(image);
}

std::vector<std::shared_ptr<UIImage>> NXSavedPhotosAlbum()
{
    std::lock_guard lock(gAlbumLock);
    return album();
}

void NXResetSavedPhotosAlbum()
{
    std::lock_guard lock(gAlbumLock);
    album().clear();
}
