#pragma once
#include <driver/Window.h>
#include "../net/Link.h"
#include <qglobal.h>
