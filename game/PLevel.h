#pragma once

// The race level: everything one race needs. There is one current level at
// a time; a level makes itself current when it is built and stops being
// current when it is destroyed. It is not a counted engine object: whoever
// holds the current level deletes it.
class CPLevel {
public:
    CPLevel();
    virtual ~CPLevel();

    virtual const char* GetTypeName();
};

// The current level, or null.
extern CPLevel* CurrentLevel;
CPLevel* GetLevel();
