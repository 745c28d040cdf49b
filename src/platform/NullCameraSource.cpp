#include "platform/NullCameraSource.h"

NullCameraSource& NullCameraSource::Instance() {
    static NullCameraSource instance;
    return instance;
}
