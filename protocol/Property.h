#pragma once
// A stored property: a getter with the property's name and a setter. Used by the
// plain records of the protocol (request lists and reply models), whose
// properties are copied values without checks.

#include <utility>

#define NX_PROPERTY(Type, name, Setter)                  \
public:                                                  \
    const Type& name() const { return name##_; }         \
    void Setter(Type value) { name##_ = std::move(value); } \
                                                         \
private:                                                 \
    Type name##_ {}
