#include "platform/win/registry_export.h"

#include <cstdio>
#include <cstring>

#include "platform/win/path.h"
#include "platform/win/registry.h"

void UnscrambleChain(char* target, const BYTE* source, int length) {
    if (!target) return;
    if (length < 1 || !source) {
        target[0] = '\0';
        return;
    }
    BYTE v = REGISTRY_EXPORT_SCRAMBLE_START;
    for (int i = 0; i < length; ++i) {
        v ^= source[i];
        target[i] = char(v);
    }
    target[length] = '\0';
}

namespace suite {
namespace {

// Predefined keys this layer does not offer map to handles that fail to open.
HKEY rootOf(const char* name) {
    struct Root {
        const char* name;
        std::uintptr_t key;
    };
    static const Root roots[] = {{"HKEY_CLASSES_ROOT", 0x80000000u},     {"HKEY_CURRENT_USER", 0x80000001u},
                                 {"HKEY_LOCAL_MACHINE", 0x80000002u},    {"HKEY_USERS", 0x80000003u},
                                 {"HKEY_PERFORMANCE_DATA", 0x80000004u}, {"HKEY_CURRENT_CONFIG", 0x80000005u},
                                 {"HKEY_DYN_DATA", 0x80000006u}};
    for (const Root& r : roots)
        if (std::strcmp(r.name, name) == 0) return reinterpret_cast<HKEY>(r.key);
    return nullptr;
}

bool hasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// A name that reads back as the same value name from a "name=data" line.
bool valueNameReadsBack(const std::string& name) {
    return !hasLineBreak(name) && name.find('=') == std::string::npos && (name.empty() || name[0] != '[');
}

bool keyNameReadsBack(const std::string& name) {
    return !hasLineBreak(name) && name.find(']') == std::string::npos;
}

// The data text of a value; false when the type has none.
std::string dataText(DWORD type, const std::vector<BYTE>& data) {
    char buffer[32];
    switch (type) {
        case REG_SZ: {
            const char* text = reinterpret_cast<const char*>(data.data());
            return std::string(text, strnlen(text, data.size()));
        }
        case REG_DWORD: {
            if (data.size() < 4) return {};
            std::int32_t v;
            std::memcpy(&v, data.data(), 4);
            std::snprintf(buffer, sizeof buffer, "%d", int(v));
            return buffer;
        }
        case REG_BINARY: {
            // Sized from the data: no value is cut or overruns the text.
            std::vector<char> text(data.size() + 1);
            UnscrambleChain(text.data(), data.data(), int(data.size()));
            return std::string(text.data());
        }
        case REG_EXPAND_SZ: case REG_MULTI_SZ: case 8u: case 9u: case 10u: {
            std::string out = "hex(" + std::to_string(type) + "):";
            for (std::size_t i = 0; i < data.size(); ++i) {
                if (i > 0) out += (i % 21 == 0) ? ",\\\r\n" : ",";
                std::snprintf(buffer, sizeof buffer, "%02x", unsigned(data[i]));
                out += buffer;
            }
            return out;
        }
        default:
            return {};
    }
}

struct Exporter {
    HKEY root;
    std::FILE* file;
    std::string prefix;
    RegistryExportResult& result;

    void writeKey(const std::string& subKey, const std::string& fullPath) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
        DWORD maxName = 0, maxData = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr);
        std::string header = fullPath.size() >= prefix.size() ? fullPath.substr(prefix.size()) : fullPath;
        std::fprintf(file, "[%s]\r\n", header.c_str());
        std::vector<char> name(maxName + 2);
        std::vector<BYTE> data(maxData + 1);
        for (DWORD i = 0;; ++i) {
            DWORD nameChars = DWORD(name.size()), size = DWORD(data.size()), type = 0;
            LONG r = RegEnumValueA(key, i, name.data(), &nameChars, nullptr, &type, data.data(), &size);
            if (r == ERROR_MORE_DATA) {  // grew since the query
                name.resize(name.size() * 2 + 256);
                data.resize(std::max<std::size_t>(data.size() * 2, size + 1));
                --i;
                continue;
            }
            if (r != ERROR_SUCCESS) break;
            std::string valueName(name.data(), nameChars);
            std::string text = dataText(type, std::vector<BYTE>(data.begin(), data.begin() + size));
            // hex lists carry their own escaped line breaks.
            std::string check = text;
            for (std::size_t at; (at = check.find(",\\\r\n")) != std::string::npos;) check.erase(at, 4);
            if (!valueNameReadsBack(valueName) || hasLineBreak(check)) {
                result.skipped.push_back(fullPath + "\\" + valueName);
                continue;
            }
            std::fprintf(file, "%s=%s\r\n", valueName.c_str(), text.c_str());
        }
        RegCloseKey(key);
    }

    void writeSubKeys(const std::string& subKey, const std::string& fullPath) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) return;
        std::vector<std::string> children;
        for (DWORD i = 0;; ++i) {
            char name[1024];
            DWORD chars = sizeof name;
            if (RegEnumKeyExA(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, chars);
        }
        RegCloseKey(key);
        for (const std::string& child : children) {
            const std::string childKey = subKey.empty() ? child : subKey + "\\" + child;
            const std::string childPath = fullPath + "\\" + child;
            if (!keyNameReadsBack(child)) {
                result.skipped.push_back(childPath);
                continue;
            }
            writeKey(childKey, childPath);
            writeSubKeys(childKey, childPath);
        }
    }
};

}  // namespace

RegistryExportResult ExportRegistryTree(const char* rootName, const char* subKey, const char* filePath) {
    RegistryExportResult result;
    HKEY root = rootName ? rootOf(rootName) : nullptr;
    if (!root || !filePath) return result;
    std::FILE* file = std::fopen(NativePathOfEither(filePath).c_str(), "a+");
    if (!file) {
        result.fileFailed = true;
        return result;
    }
    const std::string sub = subKey ? subKey : "";
    const std::string fullPath = sub.empty() ? std::string(rootName) : std::string(rootName) + "\\" + sub;
    const std::size_t cut = fullPath.rfind('\\');
    Exporter exporter{root, file, cut == std::string::npos ? std::string() : fullPath.substr(0, cut + 1), result};
    exporter.writeKey(sub, fullPath);
    exporter.writeSubKeys(sub, fullPath);
    result.written = std::fclose(file) == 0;
    if (!result.written) result.fileFailed = true;
    return result;
}

}  // namespace suite
