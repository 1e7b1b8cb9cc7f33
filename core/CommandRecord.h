#pragma once

#include <string>
#include <vector>

// One command on its way to a receiver: its name and its parameter text
// already split into fields.
struct CommandRecord {
    std::string command;
    std::vector<std::string> params;
};
