#pragma once
// The general pasteboard and the saved-photos album, kept in memory: what the
// application put there is what tests read back.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/uikit/UIImage.h"

class UIPasteboard : public NSObject {
public:
    static UIPasteboard& generalPasteboard();

    // Replaces the pasteboard's contents with the data under one type
    // ("public.png").
    void setData(const NSData& data, const NSString& pasteboardType);
    std::optional<NSData> dataForPasteboardType(const NSString& pasteboardType) const;
    std::vector<NSString> pasteboardTypes() const;

    // Empty again, as in a freshly started process.
    void reset();

private:
    mutable std::mutex m_;
    std::map<NSString, NSData> items_;
};

// Adds the image to the saved-photos album. The completion target and selector
// of the platform's call are left out: the application passes none.
void UIImageWriteToSavedPhotosAlbum(const std::shared_ptr<UIImage>& image);

// The album's pictures in the order saved (tests), and emptying it.
std::vector<std::shared_ptr<UIImage>> NXSavedPhotosAlbum();
void NXResetSavedPhotosAlbum();
