#include "platform/uikit/NSAttributedString.h"

#include "platform/foundation/NSException.h"

std::shared_ptr<NSAttributedString> NSAttributedString::initWithString(const NSString& s, const NSAttributes& attributes)
{
    auto a = std::make_shared<NSAttributedString>();
    a->reset(s, attributes);
    return a;
}

void NSAttributedString::reset(const NSString& s, const NSAttributes& attributes)
{
    string_ = s.isNil() ? NSString("") : s;
    length_ = string_.length();
    runs_.clear();
    if (length_ > 0) runs_.push_back(Run{length_, attributes});
}

void NSAttributedString::checkRange(const char* method, NSRange range) const
{
    if (range.location > length_ || range.length > length_ - range.location)
        throw NSException(NSRangeException,
                          NSString::stringWithFormat("-[NSAttributedString %s]: Range {%lu, %lu} out of bounds; string length %lu",
                                                     method, range.location, range.length, length_));
}

NSAttributes NSAttributedString::attributesAtIndex(NSUInteger index, NSRange* effectiveRange) const
{
    checkRange("attributesAtIndex:effectiveRange:", NSMakeRange(index, 1));
    NSUInteger start = 0;
    for (const Run& run : runs_) {
        if (index < start + run.length) {
            if (effectiveRange) *effectiveRange = NSMakeRange(start, run.length);
            return run.attributes;
        }
        start += run.length;
    }
    return {};  // not reached: the runs cover the string
}

size_t NSAttributedString::splitAt(NSUInteger unit)
{
    NSUInteger start = 0;
    for (size_t i = 0; i < runs_.size(); ++i) {
        if (unit == start) return i;
        if (unit < start + runs_[i].length) {
            Run tail{start + runs_[i].length - unit, runs_[i].attributes};
            runs_[i].length = unit - start;
            runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return i + 1;
        }
        start += runs_[i].length;
    }
    return runs_.size();
}

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithString(const NSString& s,
                                                                                     const NSAttributes& attributes)
{
    auto a = std::make_shared<NSMutableAttributedString>();
    a->reset(s, attributes);
    return a;
}

void NSMutableAttributedString::addAttribute(const NSString& name, const id& value, NSRange range)
{
    checkRange("addAttribute:value:range:", range);
    if (!value)
        throw NSException(NSInvalidArgumentException, "-[NSMutableAttributedString addAttribute:value:range:]: nil value");
    if (range.length == 0) return;
    const size_t first = splitAt(range.location);
    const size_t last = splitAt(range.max());
    for (size_t i = first; i < last; ++i) runs_[i].attributes[name] = value;
}
