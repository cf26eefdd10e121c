// A detached copy of a registry key's values and whole subtree: what a tree
// copy carries between stores, and what a reader of a large tree takes in one
// call instead of a call per key and value.
#pragma once

#include "platform/win/types.h"

#include <string>
#include <vector>

namespace suite::reg {

struct TreeCopy {
    struct Value {
        std::string name;
        DWORD type;
        std::string data;  // as stored: strings keep their terminating NUL
    };
    std::string name;
    std::vector<Value> values;      // in creation order
    std::vector<TreeCopy> children;  // in creation order
};

}  // namespace suite::reg
