#pragma once
// The location map's pin model: a point annotation with a tag telling the
// pins apart and a text standing for the object's description (the times of
// a place when the pins go to the position list).

#include "mapsdk/VIZShape.h"

class MapPointAnnotion : public VIZPointAnnotation {
public:
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // What %@ prints too; "(null)" while no text is set.
    NSString description() const override { return description_.isNil() ? NSString("(null)") : description_; }
    void setDescription(const NSString& description) { description_ = description; }

private:
    int tag_ = 0;
    NSString description_;
};
