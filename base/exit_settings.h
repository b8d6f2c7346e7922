// The settings the program writes when it ends: every key in the profile's
// line order, each with the value the store holds now.
#pragma once

#include <string>
#include <vector>

#include "base/settings.h"

namespace kalix {

// The keys in the profile's line order ("%d" names expanded: color0 to
// color15, textcolor0 to textcolor5, recent0 to recent19). Screen keys are
// given without their screen prefix.
struct ExitSettingKey {
    std::string name;
    int screen;  // stored under makeScreenKey
};
const std::vector<ExitSettingKey>& exitSettingOrder();

// Writes every key of exitSettingOrder into the open profile: the stored
// value, else the key's fixed default. A key whose default is worked out at
// start (window geometry, palette colours) or that is written only at exit
// is written only when the store holds it; so are the recent files (no
// empty entries) and screen keys when no screen is known (empty
// screenKeyPrefix).
void writeSettingsInExitOrder(SettingsStore& store);

}  // namespace kalix
