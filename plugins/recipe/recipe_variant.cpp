#include "plugins/recipe/recipe_variant.h"

namespace recipe {

namespace {

const Variant kDravel{"Dravel", "Dravel ", true, true, true, {}, FlagRule::Or7,
                      {1, 0, 0, 1, kFromBlankPage, 0}, false, false, Recipe::ListFile,
                      "Dravel_", ".ini", "/Oltrane", nullptr, nullptr};

const Variant kQuenby{"Quenby", "Quenby ", true, true, false, {150, 200, 300, 400, 500, 600},
                      FlagRule::ClearBit0Or6, {1, 0, 0, 1, kFromBlankPage, 0}, false, false, Recipe::ListFile,
                      "", ".txt", "/Oltrane", "/b", "/r"};

const Variant kLomart{"Lomart", "Lomart ", false, false, false, {300, 400, 600}, FlagRule::Or7,
                      {1, 0, 0, 1, 1, 0}, true, true, Recipe::DdeExport, nullptr, nullptr, nullptr, nullptr, nullptr};

const Variant kHarnel{"Harnel", "Harnel ", true, false, false, {300, 400, 500, 600}, FlagRule::Or6,
                      {1, 0, 0, 0, 1, 0}, true, false, Recipe::IniHandOff, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

const Variant& ThisVariant() {
#if defined(RECIPE_VARIANT_DRAVEL)
    return kDravel;
#elif defined(RECIPE_VARIANT_QUENBY)
    return kQuenby;
#elif defined(RECIPE_VARIANT_LOMART)
    return kLomart;
#elif defined(RECIPE_VARIANT_HARNEL)
    return kHarnel;
#else
#error "RECIPE_VARIANT_DRAVEL, _QUENBY, _LOMART or _HARNEL picks the plug-in built"
#endif
}

}  // namespace recipe
