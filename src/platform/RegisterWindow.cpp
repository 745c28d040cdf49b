#include "platform/RegisterWindow.h"

RegisterWindow* registerWindow = nullptr;
