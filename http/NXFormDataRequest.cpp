#include "http/NXFormDataRequest.h"

#include <sys/stat.h>

#include <cstdio>
#include <string_view>

const NSString NXFormDataRequest::kBoundary = "0xKhTmLbOuNdArY";

namespace {

// Field and file names go inside double quotes in a part header: CR, LF and
// the quote are escaped as browsers do, so a name can never end the header.
NSString quotedName(const NSString& name)
{
    std::string out;
    for (char ch : name.str()) {
        if (ch == '\r') out += "%0D";
        else if (ch == '\n') out += "%0A";
        else if (ch == '"') out += "%22";
        else out += ch;
    }
    return NSString(out);
}

bool bytesContain(std::string_view haystack, std::string_view needle)
{
    return haystack.find(needle) != std::string_view::npos;
}

// Whether a file holds the text, read in blocks that overlap by its length.
bool fileContains(const NSString& path, std::string_view needle)
{
    std::unique_ptr<FILE, int (*)(FILE*)> in(fopen(path.str().c_str(), "rb"), fclose);
    if (!in) return false;
    std::string window;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, in.get())) > 0) {
        window.append(block, n);
        if (bytesContain(window, needle)) return true;
        window.erase(0, window.size() > needle.size() ? window.size() - needle.size() : 0);
    }
    return false;
}

}  // namespace

std::shared_ptr<NXFormDataRequest> NXFormDataRequest::initWithURL(std::shared_ptr<NSURL> url)
{
    return std::make_shared<NXFormDataRequest>(std::move(url));
}

void NXFormDataRequest::addPostValue(const NSString& value, const NSString& key) { postData_.push_back({key, value}); }

void NXFormDataRequest::addPostValue(const id& value, const NSString& key)
{
    addPostValue(value ? value->description() : NSString(), key);
}

void NXFormDataRequest::setPostValue(const NSString& value, const NSString& key)
{
    std::erase_if(postData_, [&](const PostValue& v) { return v.key == key; });
    addPostValue(value, key);
}

void NXFormDataRequest::setPostValue(const id& value, const NSString& key)
{
    setPostValue(value ? value->description() : NSString(), key);
}

void NXFormDataRequest::addFile(const std::variant<NSString, NSData>& data, const NSString& key)
{
    addFile(data, NSString(), NSString(), key);
}

void NXFormDataRequest::addFile(const std::variant<NSString, NSData>& data, const NSString& fileName,
                                const NSString& contentType, const NSString& key)
{
    FileEntry entry{key, data, fileName, contentType};
    if (const NSString* path = std::get_if<NSString>(&data)) {
        struct stat st{};
        if (path->isNil() || stat(path->str().c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
            failWithError(errorWithCode(NXInternalErrorWhileBuildingRequestType,
                                        NSString::stringWithFormat("No file exists at %@", *path)));
        } else {
            if (entry.fileName.isNil()) entry.fileName = path->lastPathComponent();
            if (entry.contentType.isNil()) entry.contentType = mimeTypeForFileAtPath(*path);
        }
    }
    fileData_.push_back(std::move(entry));
}

void NXFormDataRequest::removeFiles(const NSString& key)
{
    std::erase_if(fileData_, [&](const FileEntry& f) { return f.key == key; });
}

void NXFormDataRequest::setFile(const std::variant<NSString, NSData>& data, const NSString& key)
{
    removeFiles(key);
    addFile(data, key);
}

void NXFormDataRequest::setFile(const std::variant<NSString, NSData>& data, const NSString& fileName,
                                const NSString& contentType, const NSString& key)
{
    removeFiles(key);
    addFile(data, fileName, contentType, key);
}

void NXFormDataRequest::addData(const NSData& data, const NSString& key) { addData(data, "file", NSString(), key); }

void NXFormDataRequest::addData(const NSData& data, const NSString& fileName, const NSString& contentType,
                                const NSString& key)
{
    addFile(data, fileName, contentType.isNil() ? NSString("application/octet-stream") : contentType, key);
}

void NXFormDataRequest::setData(const NSData& data, const NSString& key)
{
    removeFiles(key);
    addData(data, key);
}

void NXFormDataRequest::setData(const NSData& data, const NSString& fileName, const NSString& contentType,
                                const NSString& key)
{
    removeFiles(key);
    addData(data, fileName, contentType, key);
}

void NXFormDataRequest::buildPostBody()
{
    if (haveBuiltPostBody() || error()) return;
    if (!postData_.empty() || !fileData_.empty()) {
        if (!fileData_.empty()) setShouldStreamPostDataFromDisk(true);
        if (postFormat_ == NXURLEncodedPostFormat) buildURLEncodedPostBody();
        else buildMultipartFormDataPostBody();
        if (error()) return;
    }
    NXHTTPRequest::buildPostBody();
}

NSString NXFormDataRequest::charsetName() const
{
    switch (stringEncoding_) {
    case NSISOLatin1StringEncoding: return "iso-8859-1";
    case NSASCIIStringEncoding: return "us-ascii";
    case NSUTF16StringEncoding: return "utf-16";
    default: return "utf-8";
    }
}

void NXFormDataRequest::appendPostString(const NSString& string)
{
    if (auto bytes = string.dataUsingEncoding(stringEncoding_)) appendPostData(*bytes);
}

NSString NXFormDataRequest::encodeURL(const NSString& string) const
{
    auto bytes = string.dataUsingEncoding(stringEncoding_);
    if (!bytes) return "";
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : *bytes) {
        if (std::isalnum(b) && b < 0x80) out += static_cast<char>(b);
        else if (b == '-' || b == '_' || b == '.') out += static_cast<char>(b);
        else out += {'%', hex[b >> 4], hex[b & 15]};
    }
    return NSString(out);
}

void NXFormDataRequest::buildURLEncodedPostBody()
{
    if (!fileData_.empty()) {
        postFormat_ = NXMultipartFormDataPostFormat;
        buildMultipartFormDataPostBody();
        return;
    }
    addRequestHeader("Content-Type",
                     NSString::stringWithFormat("application/x-www-form-urlencoded; charset=%@", charsetName()));
    for (size_t i = 0; i < postData_.size(); ++i)
        appendPostString(NSString::stringWithFormat("%@=%@%@", encodeURL(postData_[i].key), encodeURL(postData_[i].value),
                                                    NSString(i + 1 < postData_.size() ? "&" : "")));
}

void NXFormDataRequest::buildMultipartFormDataPostBody()
{
    // A part that holds the boundary would end the form early and smuggle in
    // parts of its own: such a form is refused, never sent corrupt.
    const std::string boundary = kBoundary.str();
    bool clash = false;
    for (const auto& v : postData_) clash = clash || bytesContain(v.value.view(), boundary);
    for (const auto& f : fileData_) {
        if (const NSData* d = std::get_if<NSData>(&f.data))
            clash = clash || bytesContain(std::string_view(reinterpret_cast<const char*>(d->data()), d->size()), boundary);
        else clash = clash || fileContains(std::get<NSString>(f.data), boundary);
    }
    if (clash) {
        failWithError(errorWithCode(NXInternalErrorWhileBuildingRequestType,
                                    "The form data contains the multipart boundary"));
        return;
    }
    addRequestHeader("Content-Type", NSString::stringWithFormat("multipart/form-data; charset=%@; boundary=%@",
                                                                charsetName(), kBoundary));
    const NSString separator = NSString::stringWithFormat("\r\n--%@\r\n", kBoundary);
    appendPostString(NSString::stringWithFormat("--%@\r\n", kBoundary));
    for (size_t i = 0; i < postData_.size(); ++i) {
        appendPostString(NSString::stringWithFormat("Content-Disposition: form-data; name=\"%@\"\r\n\r\n",
                                                    quotedName(postData_[i].key)));
        appendPostString(postData_[i].value);
        if (i + 1 < postData_.size() || !fileData_.empty()) appendPostString(separator);
    }
    for (size_t i = 0; i < fileData_.size(); ++i) {
        const auto& f = fileData_[i];
        // Bytes given without a name or type still make a well-formed part.
        NSString fileName = f.fileName.isNil() ? NSString("file") : f.fileName;
        NSString type = f.contentType.isNil() ? NSString("application/octet-stream") : f.contentType;
        appendPostString(NSString::stringWithFormat("Content-Disposition: form-data; name=\"%@\"; filename=\"%@\"\r\n",
                                                    quotedName(f.key), quotedName(fileName)));
        appendPostString(NSString::stringWithFormat("Content-Type: %@\r\n\r\n", type));
        if (const NSData* d = std::get_if<NSData>(&f.data)) appendPostData(*d);
        else appendPostDataFromFile(std::get<NSString>(f.data));
        if (i + 1 < fileData_.size()) appendPostString(separator);
    }
    appendPostString(NSString::stringWithFormat("\r\n--%@--\r\n", kBoundary));
}

std::shared_ptr<NXFormDataRequest> NXFormDataRequest::copy() const
{
    auto c = initWithURL(url());
    copySettingsTo(*c);
    c->postData_ = postData_;
    c->fileData_ = fileData_;
    c->postFormat_ = postFormat_;
    c->stringEncoding_ = stringEncoding_;
    c->setRequestMethod(requestMethod());
    return c;
}
