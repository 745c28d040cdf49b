#include "controls/ObjectRegistry.h"

#include "controls/QuorvDrawRect.h"

#include <array>

namespace {

struct RegisteredClass {
    std::string_view name;
    std::unique_ptr<ArchivableObject> (*create)();
};

// A fixed table rather than self-registration from static constructors: the
// classes live in a static library, whose unreferenced objects the linker
// would drop together with their registration.
constexpr std::array<RegisteredClass, 1> kClasses = {{
    {QuorvDrawRect::kClassName,
     []() -> std::unique_ptr<ArchivableObject> { return std::make_unique<QuorvDrawRect>(); }},
}};

}  // namespace

std::unique_ptr<ArchivableObject> CreateObjectByName(std::string_view className) {
    for (const RegisteredClass& entry : kClasses) {
        if (entry.name == className) {
            return entry.create();
        }
    }
    return nullptr;
}
