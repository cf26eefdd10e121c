// The outside libraries of the button manager, bound in a fixed order at
// start-up, each a precondition of the next: edge fill, Common Library, the
// registry step, Image Library, scan library (with ScanInit and the presence
// test), ScanLoadSettings, PDF encryption and message library. The first
// failure stops the chain with its message ("" for the silent ones) after
// everything loaded so far has been released.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "outside/include/common_service.h"
#include "outside/include/gorsey.h"
#include "outside/include/image_library.h"
#include "outside/include/keyrider_scan.h"
#include "outside/include/lorvex.h"
#include "outside/include/tarrik.h"

namespace keyrider {

// HKLM key that locates the bundle's shared libraries.
inline constexpr const char* kLocatorKey = "Software\\Selvint Corp\\Common Files";

struct ChainResult {
    bool ok = false;
    std::string message;  // what to show; empty for the failures that end silently
};

class Bundle {
public:
    Bundle() = default;
    Bundle(const Bundle&) = delete;
    Bundle& operator=(const Bundle&) = delete;
    ~Bundle() { Release(); }

    // `registryStep` runs after the Common Library is bound and returns its
    // failure message ("" when it succeeded). `scanInit` calls ScanInit with
    // the program's arguments; nonzero = ready.
    ChainResult Load(const std::string& programFolder, const std::function<std::string()>& registryStep,
                     const std::function<int(const SCAN_FUNCTIONTABLE&)>& scanInit);
    void Release();
    // The PDF encryption and message libraries are found by name through the
    // system search order; a non-empty `folder` (ending in a separator) makes
    // the chain look for them there alone, as tests of their absence need.
    void SetByNameFolder(std::string folder) { byNameFolder_ = std::move(folder); }

    const COMMON_SERVICE_TABLE* Common() const { return common_; }
    const IL_FUNCTIONTABLE* Image() const { return image_; }
    const SCAN_FUNCTIONTABLE* Scan() const { return scan_; }
    const GORSEY_FUNCTIONTABLE* EdgeFill() const { return edgeFill_; }
    const TARRIK_FUNCTIONTABLE* Messages() const { return messages_; }
    LORVEX_ENCRYPT Encrypt() const { return encrypt_; }
    bool ScannerPresentAtStart() const { return presentAtStart_; }
    // How many libraries are bound now (for tests of the release).
    int LoadedCount() const;

private:
    HMODULE edgeFillModule_ = nullptr, commonModule_ = nullptr, imageModule_ = nullptr, scanModule_ = nullptr,
            lorvexModule_ = nullptr, messageModule_ = nullptr;
    const GORSEY_FUNCTIONTABLE* edgeFill_ = nullptr;
    const COMMON_SERVICE_TABLE* common_ = nullptr;
    const IL_FUNCTIONTABLE* image_ = nullptr;
    const SCAN_FUNCTIONTABLE* scan_ = nullptr;
    const TARRIK_FUNCTIONTABLE* messages_ = nullptr;
    LORVEX_ENCRYPT encrypt_ = nullptr;
    std::string byNameFolder_;
    bool scanStarted_ = false;
    bool presentAtStart_ = false;
};

// The text of message `id` of the message library with the first "%1"
// replaced by `value`; "" without the library.
std::string MessageText(const TARRIK_FUNCTIONTABLE* messages, int id, const std::string& value = {});

}  // namespace keyrider
