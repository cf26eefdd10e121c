// A result code thrown inside the store; each slot returns it.
#pragma once

#include "tabellon/tabellon_api.h"

namespace tabellon {

struct DbError {
    int code;
};

// Runs a slot's body and turns a thrown result code (or any failure) into its result.
template <typename Body>
int guarded(Body&& body) {
    try {
        return body();
    } catch (const DbError& e) {
        return e.code;
    } catch (...) {
        return DB_ERR_FAILED;
    }
}

}  // namespace tabellon
