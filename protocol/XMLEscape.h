#pragma once
// Values spliced into the inner XML messages. Every value is escaped so that
// text read from a reply (where the reader decodes entities) reaches the service
// unchanged when it is sent back; nil stays nil and is written as "(null)".

#include "platform/foundation/NSString.h"

// "&", "<" and ">" as entities; nil gives nil.
NSString XMLEscapedString(const NSString& value);

// Fills a message format whose every %@ takes one of the values, escaped.
template <class... Values>
NSString XMLFormat(const char* format, const Values&... values)
{
    return NSString::stringWithFormat(format, XMLEscapedString(values)...);
}
