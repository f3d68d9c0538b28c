#pragma once
// Classes found by name, as `NSClassFromString` finds them: the application
// delegate builds the tab screens of the PC and phone libraries by class name,
// so the shell never includes them. A class registers itself once with
// NX_REGISTER_CLASS in its own source file; a program that must find classes
// of a library it does not reference links that library whole
// (nx_link_whole in cmake/Project.cmake), so the registrations are kept.

#include <functional>

#include "platform/foundation/NSString.h"

// Makes a new instance, as `[[Class alloc] init]` would.
using NXClassFactory = std::function<id()>;

void NXRegisterClass(const NSString& name, NXClassFactory make);
// The factory registered under the name; empty when there is none.
NXClassFactory NSClassFromString(const NSString& name);

#define NX_REGISTER_CLASS_CONCAT2(a, b) a##b
#define NX_REGISTER_CLASS_CONCAT(a, b) NX_REGISTER_CLASS_CONCAT2(a, b)
// NX_REGISTER_CLASS(HomeViewCtrl, [] { return UIViewController::init<HomeViewCtrl>(); });
#define NX_REGISTER_CLASS(Class, ...)                                                   \
    static const bool NX_REGISTER_CLASS_CONCAT(nxRegistered_, Class) =                  \
        (NXRegisterClass(#Class, [] { return ::id((__VA_ARGS__)()); }), true)
