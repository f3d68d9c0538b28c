#pragma once
// Uploads a file chunk to the file endpoint. The inner message travels in
// plain text inside the UploadFile envelope.

#include "platform/foundation/NSString.h"

class FileService : public NSObject {
public:
    // Posts the file data (as text) under the stored user ID and password.
    // The response is not read: the result is always NO.
    static bool fileUpload(const NSString& fileData);

    // The UploadFile envelope for the user ID, password, message time and data.
    static NSString envelope(const NSString& userID, const NSString& password, const NSString& time,
                             const NSString& fileData);
};
