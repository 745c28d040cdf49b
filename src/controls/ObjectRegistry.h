#pragma once

#include "controls/ArchivableObject.h"

#include <memory>
#include <string_view>

// Creation by run-time class name, for archives that name the class of the
// record that follows. Known classes: "QuorvDrawRect". Any other name gives
// null.
std::unique_ptr<ArchivableObject> CreateObjectByName(std::string_view className);
