#pragma once
// The root of every class of the library and of most of the program: a virtual destructor
// and a class-kind number that code compares to learn what an object is.

#include <cstdint>

class CObject {
public:
    CObject() : uid(1) {}
    // A destroyed object reads as kind 0.
    virtual ~CObject() { uid = 0; }

    short uid;  // class-kind number set by the most derived constructor
};
