// Typed value access on open registry keys for the store. The setters throw
// DbError(-92) when the registry refuses, so a change stops and rolls back.
#pragma once

#include <optional>
#include <string>

#include "platform/win/registry.h"
#include "platform/win/registry_key.h"
#include "tabellon/db_error.h"
#include "tabellon/tabellon_api.h"

namespace tabellon::reg {

std::optional<DWORD> getDword(HKEY key, const char* name);
DWORD getDword(HKEY key, const char* name, DWORD fallback);
std::optional<std::string> getString(HKEY key, const char* name);
// The same reads on a key read whole with SuiteRegReadTree.
std::optional<DWORD> treeDword(const suite::reg::TreeCopy& key, const char* name);
std::optional<std::string> treeString(const suite::reg::TreeCopy& key, const char* name);
void setDword(HKEY key, const char* name, DWORD value);
void setString(HKEY key, const char* name, const std::string& value);
void deleteValue(HKEY key, const char* name);

// "year,month,day,hour,minute,second,milliseconds,day of week"
std::string formatTime(const SYSTEMTIME& t);
SYSTEMTIME parseTime(const std::string& text);

// Opens `sub` below `parent` for reading and writing; throws `code` on failure.
suite::RegKey open(HKEY parent, const std::string& sub, int code = DB_ERR_FAILED);

}  // namespace tabellon::reg
