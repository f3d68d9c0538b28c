#pragma once
// Files and folders of the application.
//
// The application's home folder is NX_APP_HOME when set, else
// $XDG_DATA_HOME/ParentalControlClient, else ~/.local/share/ParentalControlClient.
// Below it: "Documents", "Library/Caches", "Library/Preferences" and "tmp",
// created when first asked for.

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"

enum NSSearchPathDirectory : NSUInteger {
    NSLibraryDirectory = 5,
    NSDocumentDirectory = 9,
    NSCachesDirectory = 13,
};

enum NSSearchPathDomainMask : NSUInteger { NSUserDomainMask = 1 };

// The application's folder of that kind (one entry); "~" stands for the home
// folder unless expandTilde.
std::vector<NSString> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask domainMask,
                                                          bool expandTilde);
NSString NSHomeDirectory();
// The application's temporary folder, with a trailing "/".
NSString NSTemporaryDirectory();

extern const NSString NSCocoaErrorDomain;
extern const NSString NSFileTypeDirectory;
extern const NSString NSFileTypeRegular;
extern const NSString NSFileTypeSymbolicLink;
extern const NSString NSFileTypeUnknown;

// What attributesOfItemAtPath reports.
struct NSFileAttributes {
    unsigned long long fileSize() const { return size; }
    const NSDate& fileModificationDate() const { return modificationDate; }
    const NSString& fileType() const { return type; }

    unsigned long long size = 0;
    NSDate modificationDate;
    NSString type;
};

// Failures come back as NO or nil with an NSError (domain NSCocoaErrorDomain,
// the code the errno of the failing call, the path in its description).
class NSFileManager : public NSObject {
public:
    static std::shared_ptr<NSFileManager> defaultManager();

    bool fileExistsAtPath(const NSString& path) const;
    bool fileExistsAtPath(const NSString& path, bool* isDirectory) const;
    // An existing folder counts as success only when intermediates are asked for.
    bool createDirectoryAtPath(const NSString& path, bool withIntermediateDirectories,
                               std::shared_ptr<NSError>* error = nullptr) const;
    // Writes the file (atomically), replacing one that exists.
    bool createFileAtPath(const NSString& path, const std::optional<NSData>& contents) const;
    std::optional<NSData> contentsAtPath(const NSString& path) const;
    // Removes a file or a whole folder.
    bool removeItemAtPath(const NSString& path, std::shared_ptr<NSError>* error = nullptr) const;
    // Both fail when the destination exists.
    bool moveItemAtPath(const NSString& path, const NSString& toPath, std::shared_ptr<NSError>* error = nullptr) const;
    bool copyItemAtPath(const NSString& path, const NSString& toPath, std::shared_ptr<NSError>* error = nullptr) const;
    // The names in a folder, sorted; nil when it cannot be read.
    std::optional<std::vector<NSString>> contentsOfDirectoryAtPath(const NSString& path,
                                                                   std::shared_ptr<NSError>* error = nullptr) const;
    std::optional<NSFileAttributes> attributesOfItemAtPath(const NSString& path,
                                                           std::shared_ptr<NSError>* error = nullptr) const;
};

// NSData and files.
std::optional<NSData> NSDataWithContentsOfFile(const NSString& path);
// Atomically: written to a temporary file beside the target, flushed to disk
// and renamed over it, so readers see the old or the new contents, never a
// part. Otherwise the file is truncated and written in place.
bool NSDataWriteToFile(const NSData& data, const NSString& path, bool atomically);
