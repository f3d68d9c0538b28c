#pragma once
// A request that posts an HTML form: named text values and named files or byte
// blocks, sent url-encoded or as multipart/form-data. The body is built once,
// just before the request is sent.

#include <variant>

#include "http/NXHTTPRequest.h"

// 0: multipart/form-data; 1: application/x-www-form-urlencoded.
enum NXPostFormat : int { NXMultipartFormDataPostFormat = 0, NXURLEncodedPostFormat = 1 };

class NXFormDataRequest : public NXHTTPRequest {
public:
    struct PostValue {
        NSString key;
        NSString value;
    };
    struct FileEntry {
        NSString key;
        std::variant<NSString, NSData> data;  // a file path, or the bytes themselves
        NSString fileName;
        NSString contentType;
    };

    using NXHTTPRequest::NXHTTPRequest;
    static std::shared_ptr<NXFormDataRequest> initWithURL(std::shared_ptr<NSURL> url);
    static std::shared_ptr<NXFormDataRequest> requestWithURL(std::shared_ptr<NSURL> url) { return initWithURL(std::move(url)); }

    // Values are sent as their text (an object's description).
    void addPostValue(const NSString& value, const NSString& key);
    void addPostValue(const id& value, const NSString& key);
    void setPostValue(const NSString& value, const NSString& key);
    void setPostValue(const id& value, const NSString& key);

    // A file by path: a missing file or a directory fails the request at once.
    // Without a file name the path's last component is used; without a content
    // type the one registered for its extension. Bytes are taken as given.
    void addFile(const std::variant<NSString, NSData>& data, const NSString& key);
    void addFile(const std::variant<NSString, NSData>& data, const NSString& fileName, const NSString& contentType,
                 const NSString& key);
    void setFile(const std::variant<NSString, NSData>& data, const NSString& key);
    void setFile(const std::variant<NSString, NSData>& data, const NSString& fileName, const NSString& contentType,
                 const NSString& key);
    // Bytes; file name "file" and "application/octet-stream" unless given.
    void addData(const NSData& data, const NSString& key);
    void addData(const NSData& data, const NSString& fileName, const NSString& contentType, const NSString& key);
    void setData(const NSData& data, const NSString& key);
    void setData(const NSData& data, const NSString& fileName, const NSString& contentType, const NSString& key);

    const std::vector<PostValue>& postData() const { return postData_; }
    const std::vector<FileEntry>& fileData() const { return fileData_; }
    int postFormat() const { return postFormat_; }
    void setPostFormat(int format) { postFormat_ = format; }
    NSStringEncoding stringEncoding() const { return stringEncoding_; }
    void setStringEncoding(NSStringEncoding e) { stringEncoding_ = e; }

    void buildPostBody() override;
    void buildURLEncodedPostBody();
    void buildMultipartFormDataPostBody();
    void appendPostString(const NSString& string);
    NSString encodeURL(const NSString& string) const;

    std::shared_ptr<NXFormDataRequest> copy() const;

    static const NSString kBoundary;  // "0xKhTmLbOuNdArY"

private:
    void removeFiles(const NSString& key);
    NSString charsetName() const;

    std::vector<PostValue> postData_;
    std::vector<FileEntry> fileData_;
    int postFormat_ = NXURLEncodedPostFormat;
    NSStringEncoding stringEncoding_ = NSUTF8StringEncoding;
};
