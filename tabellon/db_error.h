// A result code thrown inside the store; each slot returns it.
#pragma once

namespace tabellon {

struct DbError {
    int code;
};

}  // namespace tabellon
